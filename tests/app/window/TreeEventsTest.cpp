#include "app/window/TreeEvents.h"

#include "app/favorites/FavoritesTree.h"
#include "app/window/CommandState.h"
#include "app/window/frmMain.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "tests/support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
class TreeEventsTest : public ::testing::Test
{
protected:
    TreeEventsTest()
    {
        desktop::App::SetPath(Program.Path());
        desktop::ClearShownMessages();
        Favorites.WriteFile(QStringLiteral("Top.url"));
        Favorites.WriteFile(QStringLiteral("News/One.url"));
        Favorites.WriteFile(QStringLiteral("News/Two.url"));
        Favorites.WriteFile(QStringLiteral("News/Three.url"));
        Favorites.MakeFolder(QStringLiteral("News/Sport"));
        Favorites.MakeFolder(QStringLiteral("Empty"));
        Main.Favorites.FavoritesPath = Favorites.Path();
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
        Main.resize(400, 600);
        Main.show();
        QApplication::setActiveWindow(&Main);
        QApplication::processEvents();
    }
    ~TreeEventsTest() override
    {
        if (Main.LastPopupMenu)
            Main.LastPopupMenu->close();
        desktop::App::SetPath(QString());
    }

    TreeNode* Node(const QString& text)
    {
        for (int i = 1; i <= Main.tvFolders->Nodes().Count(); ++i) {
            if (Main.tvFolders->Nodes().Item(i)->Text() == text)
                return Main.tvFolders->Nodes().Item(i);
        }
        return nullptr;
    }
    QPoint Centre(TreeNode* node) { return Main.tvFolders->visualItemRect(node).center(); }
    void Click(TreeNode* node, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(Main.tvFolders->viewport(), button, Qt::NoModifier, Centre(node));
    }
    // Types a new label into the in-place editor of the selected node and confirms it.
    void EditLabel(const QString& text)
    {
        Main.tvFolders->StartLabelEdit();
        QApplication::processEvents();
        auto* editor = Main.tvFolders->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    TestFolder Program;
    TestFolder Favorites;
    frmMain Main;
};
} // namespace

TEST_F(TreeEventsTest, ALabelEditRenamesAndShowsTheCleanedName)
{
    Node(QStringLiteral("Top"))->SetSelected(true);
    EditLabel(QStringLiteral("News/Today?"));
    EXPECT_NE(Node(QStringLiteral("News-Today-")), nullptr);
    EXPECT_EQ(Node(QStringLiteral("News/Today?")), nullptr);
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("News-Today-.url"))));
}

TEST_F(TreeEventsTest, AFailedRenameLeavesTheOldText)
{
    Node(QStringLiteral("One"))->SetSelected(true);
    EditLabel(QStringLiteral("Two"));
    EXPECT_NE(Node(QStringLiteral("One")), nullptr);
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("News/One.url"))));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(TreeEventsTest, CollapseAndExpandChangeOnlyThePicture)
{
    TreeNode* news = Node(QStringLiteral("News"));
    news->SetSelected(true);
    news->SetExpanded(false);
    EXPECT_EQ(news->Image(), 16);
    EXPECT_EQ(news->SelectedImage(), 2);
    EXPECT_EQ(news->DisplayedImage(), 2); // selected: the open picture still shows
    news->SetExpanded(true);
    EXPECT_EQ(news->Image(), 2);
    // A folder with nothing in it was never collapsed by the user and keeps the open picture.
    EXPECT_EQ(Node(QStringLiteral("Empty"))->Image(), 2);
}

TEST_F(TreeEventsTest, ANodeClickSetsTheCommandsAndTheFolderText)
{
    struct Case
    {
        const char* Node;
        const char* Panel;
        bool CutEnabled;
    };
    const Case cases[] = {
        {"Favorites", " 3 Items in Favorites folder ", false},
        {"News", " 4 Items in News folder ", true},
        {"Two", " 4 Items in News folder ", true},
        {"Empty", " 0 Items in Empty folder ", true},
        {"Top", " 3 Items in Favorites folder ", true},
    };
    for (const Case& c : cases) {
        Click(Node(QString::fromLatin1(c.Node)));
        EXPECT_EQ(Main.tvFolders->SelectedItem(), Node(QString::fromLatin1(c.Node)));
        EXPECT_EQ(Main.sbStatus->PanelText(2), QString::fromLatin1(c.Panel)) << c.Node;
        EXPECT_EQ(Main.mnuEditMenu.Item(1)->isEnabled(), c.CutEnabled) << c.Node;
    }
    Click(Node(QStringLiteral("Two")));
    EXPECT_TRUE(Main.mnuLinksMenu.Item(6)->isEnabled());
    Click(Node(QStringLiteral("News")));
    EXPECT_FALSE(Main.mnuLinksMenu.Item(6)->isEnabled());
}

TEST_F(TreeEventsTest, AFolderNameWithMarkupIsShownAsWritten)
{
    // Shown as markup, the name would be underlined and broken over two lines.
    const QString name = QStringLiteral("<u>News&lt;<br>x");
    Favorites.MakeFolder(name);
    Main.tvFolders->Nodes().Clear();
    LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    Click(Node(name));
    const QLabel* panel = Main.sbStatus->Panel(2);
    ASSERT_EQ(panel->text(), QStringLiteral(" 0 Items in ") + name + QStringLiteral(" folder "));
    QLabel oneLine(QStringLiteral("x"));
    oneLine.setFont(panel->font());
    EXPECT_EQ(panel->sizeHint().height() - panel->frameWidth() * 2, oneLine.sizeHint().height());
}

TEST_F(TreeEventsTest, DuringACheckANodeClickKeepsTheRunsRestrictions)
{
    Main.CheckRunning = true;
    UpdateCommandState(Main, CheckStarted);
    Main.sbStatus->SetPanelText(2, QStringLiteral(" Verifying Links "));
    Click(Node(QStringLiteral("Two")));
    EXPECT_EQ(Main.sbStatus->PanelText(2), QStringLiteral(" 4 Items in News folder "));
    EXPECT_FALSE(Main.mnuEditMenu.Item(1)->isEnabled());
    EXPECT_FALSE(Main.mnuLinksMenu.Item(1)->isEnabled());
    EXPECT_TRUE(Main.mnuLinksMenu.Item(4)->isEnabled());
    EXPECT_TRUE(Main.mnuLinksMenu.Item(6)->isEnabled());
    Main.CheckRunning = false;
}

TEST_F(TreeEventsTest, ARightClickShowsThePopUpOfTheSelectedNode)
{
    Click(Node(QStringLiteral("News")));
    Click(Node(QStringLiteral("Two")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, Main.mnuFolder);
    EXPECT_EQ(Main.tvFolders->SelectedItem(), Node(QStringLiteral("News")));
    Main.LastPopupMenu->close();

    Click(Node(QStringLiteral("Two")));
    Click(Node(QStringLiteral("Empty")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, Main.mnuNode);
    EXPECT_TRUE(Main.mnuNode->isVisible());
    Main.LastPopupMenu->close();
}

TEST_F(TreeEventsTest, ARightClickWithNothingSelectedShowsNoPopUp)
{
    Main.tvFolders->setCurrentItem(nullptr);
    ASSERT_EQ(Main.tvFolders->SelectedItem(), nullptr);
    Click(Node(QStringLiteral("Two")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, nullptr);
}

TEST(FolderItemsText, HasOneSpaceAtEachEnd)
{
    EXPECT_EQ(FolderItemsText(4, QStringLiteral("News")), QStringLiteral(" 4 Items in News folder "));
    EXPECT_EQ(FolderItemsText(0, QStringLiteral("Favorites")), QStringLiteral(" 0 Items in Favorites folder "));
}
