#include "app/settings/Common.h"
#include "app/settings/frmAbout.h"

#include "app/window/Commands.h"
#include "platform/desktop/Application.h"
#include "platform/win32/ShellExecute.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <tuple>

namespace
{
class frmAboutTest : public ::testing::Test
{
protected:
    frmAboutTest()
    {
        win32::ClearShellRequests();
        win32::RecordShellRequests(true);
    }
    ~frmAboutTest() override
    {
        win32::RecordShellRequests(false);
        win32::ClearShellRequests();
        desktop::App::SetVersion(-1, -1, -1);
    }
};
} // namespace

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

TEST_F(frmAboutTest, TheBoxShowsTheIconTheNoticeAndTheVendorsAddress)
{
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Strandmoor"));
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(about.btnOk()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(about.txtURL()->text(), VendorAddress());
    EXPECT_TRUE(about.txtURL()->text().startsWith(QStringLiteral("http://")));

    const auto* icon = about.findChild<QLabel*>(QStringLiteral("imgIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    const auto* notice = about.findChild<QLabel*>(QStringLiteral("lblNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->text().trimmed().isEmpty());
}

TEST_F(frmAboutTest, ClickingTheAddressOpensItThroughTheShell)
{
    frmAbout about;
    about.show();
    QTest::mouseClick(about.txtURL(), Qt::LeftButton);
    ASSERT_EQ(win32::ShellRequests().size(), 1u);
    const win32::ShellRequest& request = win32::ShellRequests().front();
    EXPECT_EQ(QString::fromStdString(request.File), VendorAddress());
    EXPECT_TRUE(request.Operation.empty());
    EXPECT_TRUE(request.Parameters.empty());
    EXPECT_TRUE(request.Directory.empty());
    EXPECT_EQ(request.ShowCmd, win32::SW_SHOWNORMAL);

    // From the keyboard as well; a right click is no click on the address.
    about.txtURL()->setFocus();
    QTest::keyClick(about.txtURL(), Qt::Key_Space);
    QTest::mouseClick(about.txtURL(), Qt::RightButton);
    EXPECT_EQ(win32::ShellRequests().size(), 2u);
    EXPECT_TRUE(about.isVisible());
}

TEST_F(frmAboutTest, OkClosesTheModalBox)
{
    frmAbout about;
    QTimer::singleShot(0, &about, [&about] {
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        QTest::mouseClick(about.btnOk(), Qt::LeftButton);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_TRUE(win32::ShellRequests().empty());
}
