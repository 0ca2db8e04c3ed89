#include "app/favorites/frmFind.h"
#include "tests/app/favorites/EditFixture.h"

#include "app/window/CommandState.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace
{
// Nodes in collection order: 1 Favorites, 2 Apple, 3 banana, 4 cherry, 5 Pineapple, 6 zeta.
class FindTest : public EditFixture
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

TEST_F(FindTest, TheDialogShowsItsControlsAndStartsWithFindDisabled)
{
    EXPECT_EQ(Find->windowTitle(), QStringLiteral("Search"));
    EXPECT_FALSE(Find->isModal());
    EXPECT_EQ(Find->parent(), &Main);

    struct Case
    {
        const char* Name;
        QString Caption;
        QString ToolTip;
    };
    const Case cases[] = {
        {"Label1", QStringLiteral("Search For:"), QString()},
        {"txtSearchText", QString(), QStringLiteral("Enter the text you wish to search for")},
        {"Frame1", QStringLiteral("Direction"), QString()},
        {"rForward", QStringLiteral("Forward"), QStringLiteral("Search from top of Favorites list to bottom")},
        {"rReverse", QStringLiteral("Reverse"), QStringLiteral("Search from bottom of Favorites list to top")},
        {"Frame2", QStringLiteral("Options"), QString()},
        {"chkCase", QStringLiteral("Match Case"), QStringLiteral("Case sensitivity")},
        {"btnButton_0", QStringLiteral("&Find"), QStringLiteral("Start Search")},
        {"btnButton_1", QStringLiteral("Find &Next"), QStringLiteral("Get next instance")},
        {"btnButton_2", QStringLiteral("&Cancel"), QStringLiteral("Close search dialog")},
    };
    for (const Case& c : cases) {
        QWidget* control = Control<QWidget>(c.Name);
        ASSERT_NE(control, nullptr);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(control))
            caption = label->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(control))
            caption = frame->title();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            caption = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            caption = edit->text();
        EXPECT_EQ(caption, c.Caption) << c.Name;
        EXPECT_EQ(control->toolTip(), c.ToolTip) << c.Name;
    }
    EXPECT_EQ(Control<QRadioButton>("rForward")->parentWidget(), Control<QGroupBox>("Frame1"));
    EXPECT_EQ(Control<QRadioButton>("rReverse")->parentWidget(), Control<QGroupBox>("Frame1"));
    EXPECT_EQ(Control<QCheckBox>("chkCase")->parentWidget(), Control<QGroupBox>("Frame2"));
    EXPECT_TRUE(Control<QRadioButton>("rForward")->isChecked());
    EXPECT_TRUE(Button(0)->isDefault());
    EXPECT_FALSE(Button(0)->isEnabled());
    EXPECT_FALSE(Button(1)->isEnabled());
}

TEST_F(FindTest, FindIsEnabledOnlyWhileTheTextIsNotBlank)
{
    struct Case
    {
        QString Text;
        bool Enabled;
    };
    const Case cases[] = {
        {QStringLiteral("a"), true}, {QStringLiteral("   "), false}, {QStringLiteral(" a"), true},
        {QString(), false},          {QStringLiteral("a "), true},
    };
    for (const Case& c : cases) {
        Text()->setText(c.Text);
        EXPECT_EQ(Button(0)->isEnabled(), c.Enabled) << '"' << c.Text.toStdString() << '"';
        EXPECT_FALSE(Button(1)->isEnabled());
    }
}

TEST_F(FindTest, ForwardFindsTheSecondThenTheFifthThenEnds)
{
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 2);
    EXPECT_TRUE(Find->SearchFound);
    EXPECT_TRUE(Button(1)->isEnabled());
    Next();
    EXPECT_EQ(SelectedIndex(), 5);
    Next();
    EXPECT_EQ(SelectedIndex(), 5);
    EXPECT_FALSE(Find->SearchFound);
    Next();
    EXPECT_EQ(Titles(), (QStringList{"Search Ended", "Search Ended"}));
    EXPECT_TRUE(desktop::ShownMessages()[0].Prompt.contains(QStringLiteral("\"apple\"")));
}

TEST_F(FindTest, ReverseFindsTheFifthThenTheSecond)
{
    QTest::mouseClick(Control<QRadioButton>("rReverse"), Qt::LeftButton);
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 5);
    Next();
    EXPECT_EQ(SelectedIndex(), 2);
    Next();
    EXPECT_EQ(Titles(), QStringList{"Search Ended"});
}

TEST_F(FindTest, MatchCaseDecidesWhetherLetterCaseCounts)
{
    Search(QStringLiteral("APPLE"));
    EXPECT_EQ(SelectedIndex(), 2);
    QTest::mouseClick(Control<QCheckBox>("chkCase"), Qt::LeftButton);
    Search(QStringLiteral("APPLE"));
    EXPECT_EQ(SelectedIndex(), 2);
    EXPECT_FALSE(Find->SearchFound);
    EXPECT_EQ(Titles(), QStringList{"Search Text Not Found"});
    Search(QStringLiteral("apple"));
    EXPECT_EQ(SelectedIndex(), 5);
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

TEST_F(FindTest, FindNextKeepsTheTextAndDirectionOfTheLastFind)
{
    Search(QStringLiteral("apple"));
    Text()->setText(QStringLiteral("cherry"));
    QTest::mouseClick(Control<QRadioButton>("rReverse"), Qt::LeftButton);
    Next();
    EXPECT_EQ(SelectedIndex(), 5);
    EXPECT_EQ(Find->SearchText, QStringLiteral("apple"));
}

TEST_F(FindTest, TheRootIsFoundLikeAnyOtherNode)
{
    Search(QStringLiteral("favor"));
    EXPECT_EQ(SelectedIndex(), 1);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
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

TEST_F(FindTest, TheFoundNodeIsScrolledIntoView)
{
    for (int i = 0; i < 200; ++i)
        Favorites.WriteFile(QStringLiteral("Deep/filler %1.url").arg(i, 3, 10, QLatin1Char('0')));
    Favorites.WriteFile(QStringLiteral("Deep/zz target.url"));
    Load();
    Node(QStringLiteral("Deep"))->SetExpanded(false);

    Search(QStringLiteral("target"));

    TreeNode* target = Main.tvFolders->SelectedItem();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->Text(), QStringLiteral("zz target"));
    EXPECT_TRUE(target->Parent()->Expanded());
    const QRect shown = Main.tvFolders->visualItemRect(target);
    EXPECT_TRUE(Main.tvFolders->viewport()->rect().contains(shown)) << shown.y();
}

// The commands follow the node a search selects, as they follow a clicked node: after finding a
// link, Rename and Check This Link are there; after finding a folder, a link's command is not.
TEST_F(FindTest, TheCommandsFollowTheFoundNode)
{
    UpdateCommandState(Main, RootSelected);
    auto action = [](QMenu* menu, const char* caption) -> QAction* {
        for (QAction* item : menu->actions())
            if (item->text() == QLatin1String(caption))
                return item;
        ADD_FAILURE() << caption;
        return nullptr;
    };
    QAction* rename = action(Main.mnuEdit, "&Rename");
    QAction* checkThis = action(Main.mnuLinks, "Check &This Link");
    ASSERT_TRUE(rename && checkThis);
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
