#include "app/favorites/frmFind.h"
#include "tests/app/MainWindowFixture.h"

#include "app/window/CommandState.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace
{
// Nodes in collection order: 1 Favorites, 2 Apple, 3 banana, 4 cherry, 5 Pineapple, 6 zeta.
class FindTest : public MainWindowFixture
{
protected:
    FindTest()
    {
        for (const char* name : {"Apple.url", "banana.url", "cherry.url", "Pineapple/zeta.url"})
            Favorites.WriteFile(QString::fromLatin1(name));
        Load();
        Main.resize(300, 400);
        Main.show();
        Find = ShowFindDialog(*Main.tvFolders, &Main);
    }
    ~FindTest() override { delete Find.data(); }

    template <typename T> T* Control(const char* name)
    {
        T* control = Find->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QLineEdit* Text() { return Control<QLineEdit>("txtSearchText"); }
    QPushButton* Button(int index) { return Find->btnButton(index); }
    void Search(const QString& text)
    {
        Text()->setText(text);
        QTest::mouseClick(Button(0), Qt::LeftButton);
    }
    void Next() { QTest::mouseClick(Button(1), Qt::LeftButton); }
    int SelectedIndex() { return Main.tvFolders->SelectedItem() ? Main.tvFolders->SelectedItem()->Index() : 0; }
    QStringList Titles() const
    {
        QStringList titles;
        for (const auto& shown : desktop::ShownMessages()) {
            EXPECT_EQ(shown.Style, desktop::vbOKOnly | desktop::vbInformation);
            titles << shown.Title;
        }
        return titles;
    }

    QPointer<frmFind> Find;
};
} // namespace

// Find is enabled only while the text is not blank; Find Next only once Find has found.
TEST_F(FindTest, TheDialogIsModelessAndStartsForwardWithFindDisabled)
{
    EXPECT_FALSE(Find->isModal());
    EXPECT_TRUE(Control<QRadioButton>("rForward")->isChecked());
    EXPECT_FALSE(Button(0)->isEnabled());
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("a"), true}, {QStringLiteral("   "), false}, {QStringLiteral(" a"), true},
        {QString(), false},          {QStringLiteral("a "), true},
    };
    for (const auto& [text, enabled] : cases) {
        Text()->setText(text);
        EXPECT_EQ(Button(0)->isEnabled(), enabled) << '"' << text.toStdString() << '"';
        EXPECT_FALSE(Button(1)->isEnabled());
    }
}

// Nodes 2 Apple and 5 Pineapple hold "apple"; the root "Favorites" is found like any other node.
// Find Next keeps the text and direction of the last Find.
TEST_F(FindTest, FindAndFindNextWalkTheNodesInEitherDirection)
{
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 2);
    EXPECT_TRUE(Find->SearchFound);
    EXPECT_TRUE(Button(1)->isEnabled());
    Text()->setText(QStringLiteral("cherry"));
    QTest::mouseClick(Control<QRadioButton>("rReverse"), Qt::LeftButton);
    Next();
    EXPECT_EQ(SelectedIndex(), 5);
    EXPECT_EQ(Find->SearchText, QStringLiteral("apple"));
    Next();
    EXPECT_EQ(SelectedIndex(), 5);
    EXPECT_FALSE(Find->SearchFound);
    Next();
    EXPECT_EQ(Titles(), (QStringList{"Search Ended", "Search Ended"}));
    EXPECT_TRUE(desktop::ShownMessages()[0].Prompt.contains(QStringLiteral("\"apple\"")));

    desktop::ClearShownMessages();
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 5);
    Next();
    EXPECT_EQ(SelectedIndex(), 2);
    QTest::mouseClick(Control<QCheckBox>("chkCase"), Qt::LeftButton);
    Next();
    EXPECT_EQ(Titles(), QStringList{"Search Ended"});

    desktop::ClearShownMessages();
    QTest::mouseClick(Control<QRadioButton>("rForward"), Qt::LeftButton);
    Search(QStringLiteral("APPLE"));
    EXPECT_EQ(SelectedIndex(), 2);
    EXPECT_FALSE(Find->SearchFound);
    EXPECT_EQ(Titles(), QStringList{"Search Text Not Found"});
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 5);
    QTest::mouseClick(Control<QCheckBox>("chkCase"), Qt::LeftButton);
    Search(QStringLiteral("FAVOR"));
    EXPECT_EQ(SelectedIndex(), 1);
    Search(QStringLiteral("APPLE"));
    EXPECT_EQ(SelectedIndex(), 2);
}

TEST_F(FindTest, ALeadingSpaceIsPartOfTheSearchAndEnterStartsIt)
{
    Favorites.WriteFile(QStringLiteral("the cherry.url"));
    Load();
    Find->activateWindow();
    Text()->setFocus();
    QTest::keyClicks(Text(), QStringLiteral(" cherry"));
    QTest::keyClick(Text(), Qt::Key_Return);
    EXPECT_EQ(Main.tvFolders->SelectedItem()->Text(), QStringLiteral("the cherry"));
    EXPECT_EQ(Find->SearchText, QStringLiteral(" cherry"));
}

TEST_F(FindTest, FindNextStaysWithinTheNodesThatExistNow)
{
    QTest::mouseClick(Control<QRadioButton>("rReverse"), Qt::LeftButton);
    Search(QStringLiteral("e"));
    EXPECT_EQ(SelectedIndex(), 6);
    // The tree shrinks below the position found last.
    Nodes().Remove(Node(QStringLiteral("Pineapple")));
    Nodes().Remove(Node(QStringLiteral("cherry")));
    Next();
    EXPECT_EQ(SelectedIndex(), 2);

    QTest::mouseClick(Control<QRadioButton>("rForward"), Qt::LeftButton);
    Search(QStringLiteral("banana"));
    EXPECT_EQ(SelectedIndex(), 3);
    Nodes().Clear();
    Next();
    Load();
    Next();
    EXPECT_EQ(Titles(), (QStringList{"Search Ended", "Search Ended"}));
}

// The commands follow the node a search selects, as they follow a clicked node: after finding a
// link, Rename and Check This Link are there; after finding a folder, a link's command is not.
TEST_F(FindTest, TheCommandsFollowTheFoundNode)
{
    UpdateCommandState(Main, RootSelected);
    QAction* rename = Main.mnuEditMenu.Item(9);
    QAction* checkThis = Main.mnuLinksMenu.Item(2);
    ASSERT_FALSE(rename->isEnabled());

    Search(QStringLiteral("banana"));
    EXPECT_TRUE(rename->isEnabled());
    EXPECT_TRUE(checkThis->isEnabled());

    Search(QStringLiteral("Pineapple"));
    EXPECT_TRUE(rename->isEnabled());
    EXPECT_FALSE(checkThis->isEnabled());
}

TEST_F(FindTest, CancelClosesTheDialogAndItsSearch)
{
    EXPECT_EQ(ShowFindDialog(*Main.tvFolders, &Main), Find.data());
    Search(QStringLiteral("apple"));
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_FALSE(Find->isVisible());

    frmFind* fresh = ShowFindDialog(*Main.tvFolders, &Main);
    EXPECT_TRUE(Find.isNull());
    EXPECT_TRUE(fresh->SearchText.isEmpty());
    EXPECT_FALSE(fresh->btnButton(1)->isEnabled());
    Find = fresh;

    QTest::keyClick(Find.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Find.isNull());
}
