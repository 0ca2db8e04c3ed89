#include "app/window/TreeEvents.h"

#include "platform/controls/StatusBar.h"
#include "tests/app/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace
{
// Shown as markup, this name would be underlined and broken over two lines.
const QString Markup = QStringLiteral("<u>News&lt;<br>x");

class TreeEventsTest : public MainWindowFixture
{
protected:
    TreeEventsTest()
    {
        for (const char* name : {"Top.url", "News/One.url", "News/Two.url", "News/Three.url"})
            Favorites.WriteFile(QString::fromLatin1(name));
        Favorites.MakeFolder(QStringLiteral("News/Sport"));
        Favorites.MakeFolder(QStringLiteral("Empty"));
        Favorites.MakeFolder(Markup);
        Load();
        Main.resize(400, 600);
        Main.show();
        QApplication::setActiveWindow(&Main);
        QApplication::processEvents();
    }
    ~TreeEventsTest() override
    {
        if (Main.LastPopupMenu)
            Main.LastPopupMenu->close();
    }

    void Click(TreeNode* node, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint centre = Main.tvFolders->visualItemRect(node).center();
        QTest::mouseClick(Main.tvFolders->viewport(), button, Qt::NoModifier, centre);
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
};
} // namespace

// The node shows what the rename left, never the text as typed: the cleaned name, or the old
// one when the name is taken.
TEST_F(TreeEventsTest, ALabelEditRenamesAndShowsTheResultingName)
{
    Node(QStringLiteral("Top"))->SetSelected(true);
    EditLabel(QStringLiteral("News/Today?"));
    EXPECT_NE(Node(QStringLiteral("News-Today-")), nullptr);
    EXPECT_EQ(Node(QStringLiteral("News/Today?")), nullptr);
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("News-Today-.url"))));

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
    // The node clicked, the folder text shown, and whether Cut and Launch Link are enabled.
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"Favorites", " 4 Items in Favorites folder ", false, false},
        {"Two", " 4 Items in News folder ", true, true},
        {"News", " 4 Items in News folder ", true, false},
        {"Empty", " 0 Items in Empty folder ", true, false},
        {"Top", " 4 Items in Favorites folder ", true, true},
        {"<u>News&lt;<br>x", " 0 Items in <u>News&lt;<br>x folder ", true, false},
    };
    for (const auto& [node, panel, cut, launch] : cases) {
        Click(Node(QString::fromLatin1(node)));
        EXPECT_EQ(Main.tvFolders->SelectedItem(), Node(QString::fromLatin1(node)));
        EXPECT_EQ(Main.sbStatus->PanelText(2), QString::fromLatin1(panel)) << node;
        EXPECT_EQ(Main.mnuEditMenu.Item(1)->isEnabled(), cut) << node;
        EXPECT_EQ(Main.mnuLinksMenu.Item(6)->isEnabled(), launch) << node;
    }
    // The last folder's name is shown as written, on one line.
    const QLabel* panel = Main.sbStatus->Panel(2);
    QLabel oneLine(QStringLiteral("x"));
    oneLine.setFont(panel->font());
    EXPECT_EQ(panel->sizeHint().height() - panel->frameWidth() * 2, oneLine.sizeHint().height());
}

// The pop-up belongs to the selected node, not to the one under the pointer; with nothing
// selected there is none, and a left click shows none.
TEST_F(TreeEventsTest, ARightClickShowsThePopUpOfTheSelectedNode)
{
    Click(Node(QStringLiteral("News")));
    EXPECT_EQ(Main.LastPopupMenu, nullptr);
    Click(Node(QStringLiteral("Two")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, Main.mnuFolder);
    EXPECT_EQ(Main.tvFolders->SelectedItem(), Node(QStringLiteral("News")));
    Main.LastPopupMenu->close();

    Click(Node(QStringLiteral("Two")));
    Click(Node(QStringLiteral("Empty")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, Main.mnuNode);
    EXPECT_TRUE(Main.mnuNode->isVisible());
    Main.LastPopupMenu->close();

    Main.LastPopupMenu = nullptr;
    Main.tvFolders->setCurrentItem(nullptr);
    Click(Node(QStringLiteral("Two")), Qt::RightButton);
    EXPECT_EQ(Main.LastPopupMenu, nullptr);
}
