#include "app/settings/Common.h"
#include "app/settings/frmAbout.h"

#include "tests/app/settings/SettingsFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <tuple>

using frmAboutTest = SettingsFixture;

TEST_F(frmAboutTest, TheTitleWritesTheMinorNumberAndTheRevisionTogether)
{
    const std::tuple<int, int, int, const char*> versions[] = {
        {-1, -1, -1, "Strandmoor  v3.00"}, // this release, 3.0.0
        {3, 0, 0, "Strandmoor  v3.00"},
        {3, 1, 12, "Strandmoor  v3.112"},
        {4, 10, 2, "Strandmoor  v4.102"},
    };
    for (const auto& [major, minor, revision, title] : versions) {
        desktop::App::SetVersion(major, minor, revision);
        frmAbout about;
        EXPECT_EQ(about.lblTitle()->text(), QString::fromLatin1(title));
    }
}

// The address opens through the shell on a click or from the keyboard, not on a right click;
// OK closes the modal box.
TEST_F(frmAboutTest, TheVendorsAddressOpensThroughTheShellAndOkClosesTheBox)
{
    frmAbout about;
    QTimer::singleShot(0, &about, [&about] {
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_EQ(about.txtURL()->text(), VendorAddress());
        QTest::mouseClick(about.txtURL(), Qt::LeftButton);
        about.txtURL()->setFocus();
        QTest::keyClick(about.txtURL(), Qt::Key_Space);
        QTest::mouseClick(about.txtURL(), Qt::RightButton);
        EXPECT_TRUE(about.isVisible());
        QTest::mouseClick(about.btnOk(), Qt::LeftButton);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    ASSERT_EQ(win32::ShellRequests().size(), 2u);
    const win32::ShellRequest& request = win32::ShellRequests().front();
    EXPECT_EQ(QString::fromStdString(request.File), VendorAddress());
    EXPECT_TRUE(request.Operation.empty());
    EXPECT_TRUE(request.Parameters.empty());
    EXPECT_TRUE(request.Directory.empty());
    EXPECT_EQ(request.ShowCmd, win32::SW_SHOWNORMAL);
}
