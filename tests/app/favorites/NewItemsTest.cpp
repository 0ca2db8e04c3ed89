#include "app/favorites/NewItems.h"

#include "app/favorites/ShortcutFile.h"
#include "app/favorites/frmNewFavorite.h"
#include "app/favorites/frmNewFolder.h"
#include "app/forms/Pictures.h"
#include "tests/app/favorites/EditFixture.h"
#include "tests/support/Privileges.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{
const QByteArray OldShortcut = "[InternetShortcut]\r\nURL=http://old.test/\r\n";

class NewItemsTest : public EditFixture
{
protected:
    void AddFolder(const QString& typed)
    {
        frmNewFolder dialog(*Main.tvFolders, &Main);
        dialog.show();
        QTest::keyClicks(dialog.txtFolder(), typed);
        QTest::mouseClick(dialog.btnButton(0), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << typed.toStdString();
    }
    void AddFavorite(const QString& desc, const QString& url)
    {
        frmNewFavorite dialog(*Main.tvFolders, &Main);
        dialog.show();
        QTest::keyClicks(dialog.txtDesc(), desc);
        dialog.txtURL()->setText(url);
        QTest::mouseClick(dialog.btnButton(0), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << desc.toStdString();
    }
    // The sections of a file, or the keys of one of its sections.
    static QStringList Names(const QString& path, const QString& section = QString())
    {
        return ReadProfileString(section, QString(), QString(), 4096, path).split(QChar(u'\0'), Qt::SkipEmptyParts);
    }
};
} // namespace

TEST(CleanTypedName, OnlyTheNineCharactersChange)
{
    EXPECT_EQ(CleanTypedName(QStringLiteral("a\\b/c:d*e?f<g>h|i\"j")), QStringLiteral("a-b-c-d-e-f-g-h-i-j"));
    EXPECT_EQ(CleanTypedName(QStringLiteral("  tab\there\r\n  ")), QStringLiteral("  tab\there\r\n  "));
}

TEST(AddressWithScheme, HttpInAnyCaseOrAnotherSchemeIsKeptAndAnythingElseGetsIt)
{
    const QStringList kept{"http://", "HTTP://EXAMPLE.TEST/", "https://x.test", "HtTpfoo", "ftp://x.test",
                           "mailto:someone@x.test"};
    for (const QString& address : kept)
        EXPECT_EQ(AddressWithScheme(address), address);
    EXPECT_EQ(AddressWithScheme(QStringLiteral("example.test")), QStringLiteral("http://example.test"));
    EXPECT_EQ(AddressWithScheme(QStringLiteral("localhost:8080/")), QStringLiteral("http://localhost:8080/"));
    EXPECT_EQ(AddressWithScheme(QStringLiteral("htt")), QStringLiteral("http://htt"));
}

TEST_F(NewItemsTest, TheDialogsShowTheirCaptions)
{
    Load();
    frmNewFolder folder(*Main.tvFolders, &Main);
    EXPECT_EQ(folder.windowTitle(), QStringLiteral("New Folder"));
    EXPECT_EQ(folder.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Enter Name of Folder"));
    EXPECT_EQ(folder.findChild<QLineEdit*>(QStringLiteral("txtFolder"))->text(), QString());
    EXPECT_EQ(folder.findChild<QPushButton*>(QStringLiteral("btnButton_0"))->text(), QStringLiteral("&OK"));
    EXPECT_EQ(folder.findChild<QPushButton*>(QStringLiteral("btnButton_1"))->text(), QStringLiteral("&Cancel"));

    frmNewFavorite favorite(*Main.tvFolders, &Main);
    EXPECT_EQ(favorite.windowTitle(), QStringLiteral("Create New Favorite"));
    EXPECT_EQ(favorite.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(), QStringLiteral("New Favorite"));
    EXPECT_EQ(favorite.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Desc"));
    EXPECT_EQ(favorite.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("URL"));
    EXPECT_EQ(favorite.findChild<QLineEdit*>(QStringLiteral("txtDesc"))->text(), QString());
    EXPECT_EQ(favorite.findChild<QLineEdit*>(QStringLiteral("txtURL"))->text(), QStringLiteral("http://"));
    EXPECT_EQ(favorite.findChild<QPushButton*>(QStringLiteral("btnButton_0"))->text(), QStringLiteral("&OK"));
    EXPECT_EQ(favorite.findChild<QPushButton*>(QStringLiteral("btnButton_1"))->text(), QStringLiteral("&Cancel"));
}

TEST_F(NewItemsTest, CancelOrABlankNameClosesWithoutAChange)
{
    Favorites.MakeFolder(QStringLiteral("News"));
    Load();
    const int nodes = Nodes().Count();
    struct Case
    {
        QString Name;
        int Button;
    };
    const Case folderCases[] = {
        {QStringLiteral("Name"), 1},
        {QStringLiteral("   "), 0},
        {QString(), 0},
    };
    for (const Case& c : folderCases) {
        frmNewFolder folder(*Main.tvFolders, &Main);
        folder.show();
        QTest::keyClicks(folder.txtFolder(), c.Name);
        QTest::mouseClick(folder.btnButton(c.Button), Qt::LeftButton);
        EXPECT_FALSE(folder.isVisible());
        EXPECT_EQ(folder.result(), QDialog::Rejected);
    }

    struct FavoriteCase
    {
        QString Desc;
        QString Url;
        int Button;
    };
    const FavoriteCase favoriteCases[] = {
        {QStringLiteral("Name"), QStringLiteral("http://x.test"), 1},
        {QStringLiteral("   "), QStringLiteral("http://x.test"), 0},
        {QStringLiteral("Name"), QStringLiteral("  "), 0},
        {QString(), QStringLiteral("http://x.test"), 0},
    };
    for (const FavoriteCase& c : favoriteCases) {
        frmNewFavorite favorite(*Main.tvFolders, &Main);
        favorite.show();
        favorite.txtDesc()->setText(c.Desc);
        favorite.txtURL()->setText(c.Url);
        QTest::mouseClick(favorite.btnButton(c.Button), Qt::LeftButton);
        EXPECT_FALSE(favorite.isVisible());
        EXPECT_EQ(favorite.result(), QDialog::Rejected);
    }
    EXPECT_EQ(Entries(), QStringList{"News"});
    EXPECT_EQ(Nodes().Count(), nodes);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(NewItemsTest, ANewFolderIsCreatedWithItsNameCleanedAndSelected)
{
    Load();
    AddFolder(QStringLiteral("A/B"));
    Select(QString());
    AddFolder(QStringLiteral("  spaced  "));

    EXPECT_EQ(Entries(), (QStringList{"  spaced  ", "A-B"}));
    TreeNode* node = Node(QStringLiteral("A-B"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Key(), Favorites.Sub(QStringLiteral("A-B")));
    EXPECT_EQ(node->Image(), Pictures::OpenFolder);
    EXPECT_EQ(node->SelectedImage(), Pictures::OpenFolder);
    EXPECT_TRUE(Node(QStringLiteral("  spaced  "))->Selected());
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(NewItemsTest, EnterInTheNameActsAsOkOnce)
{
    Load();
    frmNewFolder dialog(*Main.tvFolders, &Main);
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(dialog.txtFolder(), QStringLiteral("Typed"));
        QTest::keyClick(dialog.txtFolder(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(Entries(), QStringList{"Typed"});
    EXPECT_EQ(Count(QStringLiteral("Typed")), 1);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(NewItemsTest, ACollapsedFolderOrALinkSelectedGivesTheTargetFolder)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), OldShortcut);
    Favorites.WriteFile(QStringLiteral("Other/o.url"), OldShortcut);
    Load();
    TreeNode* news = Node(QStringLiteral("News"));
    news->SetExpanded(false);
    news->SetImage(Pictures::ClosedFolder);

    Select(QStringLiteral("News"));
    AddFolder(QStringLiteral("Inner"));
    Select(QStringLiteral("News"));
    AddFavorite(QStringLiteral("fav"), QStringLiteral("http://fav.test/"));
    Select(QStringLiteral("o"));
    AddFolder(QStringLiteral("Beside"));
    Select(QStringLiteral("o"));
    AddFavorite(QStringLiteral("near"), QStringLiteral("http://near.test/"));

    EXPECT_EQ(Entries(QStringLiteral("News")), (QStringList{"fav.url", "Inner", "n.url"}));
    EXPECT_EQ(Entries(QStringLiteral("Other")), (QStringList{"Beside", "near.url", "o.url"}));
    EXPECT_EQ(Children(QStringLiteral("News")), (QStringList{"n", "Inner", "fav"}));
    EXPECT_EQ(Children(QStringLiteral("Other")), (QStringList{"o", "Beside", "near"}));
    EXPECT_EQ(Node(QStringLiteral("News/Inner"))->Key(), Favorites.Sub(QStringLiteral("News/Inner")));
}

TEST_F(NewItemsTest, ANewFavoriteHoldsOnlyItsAddressAndIsSelected)
{
    Load();
    struct Case
    {
        QString Desc;
        QString Typed;
        QString Stored;
    };
    const Case cases[] = {
        {QStringLiteral("Bare"), QStringLiteral("example.test"), QStringLiteral("http://example.test")},
        {QStringLiteral("Capitals"), QStringLiteral("HTTP://EXAMPLE.TEST/"), QStringLiteral("HTTP://EXAMPLE.TEST/")},
        {QStringLiteral("Preset"), QStringLiteral("http://"), QStringLiteral("http://")},
        {QStringLiteral("a/b?"), QStringLiteral("https://secure.test/"), QStringLiteral("https://secure.test/")},
    };
    for (const Case& c : cases) {
        AddFavorite(c.Desc, c.Typed);
        const QString name = CleanTypedName(c.Desc);
        const QString path = Favorites.Sub(name + QStringLiteral(".url"));
        EXPECT_EQ(Names(path), QStringList{"InternetShortcut"});
        EXPECT_EQ(Names(path, QStringLiteral("InternetShortcut")), QStringList{"URL"});
        EXPECT_EQ(ReadProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QString(), 512, path),
                  c.Stored);

        TreeNode* node = Node(name);
        ASSERT_NE(node, nullptr) << name.toStdString();
        EXPECT_EQ(node->Image(), Pictures::LinkNotChecked);
        EXPECT_EQ(node->SelectedImage(), Pictures::LinkNotChecked);
        EXPECT_TRUE(node->Key().isEmpty());
        EXPECT_TRUE(node->Selected());
        EXPECT_EQ(node->Parent(), Root());
    }
    EXPECT_EQ(Entries(), (QStringList{"a-b-.url", "Bare.url", "Capitals.url", "Preset.url"}));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(NewItemsTest, ANameAlreadyInUseChangesNothingAndKeepsTheDialogOpen)
{
    Favorites.MakeFolder(QStringLiteral("News"));
    Favorites.WriteFile(QStringLiteral("Old.URL"), OldShortcut);
    Load();
    const int nodes = Nodes().Count();

    frmNewFolder folder(*Main.tvFolders, &Main);
    folder.show();
    QTest::keyClicks(folder.txtFolder(), QStringLiteral("news"));
    QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
    EXPECT_TRUE(folder.isVisible());
    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("New Folder"));
    EXPECT_TRUE(desktop::ShownMessages()[0].Prompt.contains(QStringLiteral("news")));

    frmNewFavorite favorite(*Main.tvFolders, &Main);
    favorite.show();
    QTest::keyClicks(favorite.txtDesc(), QStringLiteral("old"));
    favorite.txtURL()->setText(QStringLiteral("http://new.test/"));
    QTest::mouseClick(favorite.btnButton(0), Qt::LeftButton);
    EXPECT_TRUE(favorite.isVisible());
    ASSERT_EQ(desktop::ShownMessages().size(), 2);
    EXPECT_EQ(desktop::ShownMessages()[1].Title, QStringLiteral("Create New Favorite"));

    // Another name then goes through in the same dialog.
    folder.txtFolder()->setText(QStringLiteral("Newer"));
    QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
    EXPECT_FALSE(folder.isVisible());

    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Old.URL")), OldShortcut);
    EXPECT_EQ(Entries(), (QStringList{"Newer", "News", "Old.URL"}));
    EXPECT_EQ(Nodes().Count(), nodes + 1);
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST_F(NewItemsTest, AFailureIsReportedAddsNoNodeAndKeepsTheDialogOpen)
{
    Favorites.MakeFolder(QStringLiteral("ReadOnly"));
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0555);
    Load();
    const int nodes = Nodes().Count();
    {
        ScopedFilePermissions asUser;
        Select(QStringLiteral("ReadOnly"));
        frmNewFolder folder(*Main.tvFolders, &Main);
        folder.show();
        QTest::keyClicks(folder.txtFolder(), QStringLiteral("X"));
        QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
        EXPECT_TRUE(folder.isVisible());

        frmNewFavorite favorite(*Main.tvFolders, &Main);
        favorite.show();
        QTest::keyClicks(favorite.txtDesc(), QStringLiteral("Y"));
        QTest::mouseClick(favorite.btnButton(0), Qt::LeftButton);
        EXPECT_TRUE(favorite.isVisible());
    }
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0755);

    // A name that would leave the folder is refused too.
    Select(QString());
    for (const QString& name : {QStringLiteral("."), QStringLiteral("..")}) {
        frmNewFolder folder(*Main.tvFolders, &Main);
        folder.show();
        QTest::keyClicks(folder.txtFolder(), name);
        QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
        EXPECT_TRUE(folder.isVisible());
    }

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 75, 52, 52}));
    EXPECT_TRUE(Entries(QStringLiteral("ReadOnly")).isEmpty());
    EXPECT_EQ(Entries(), QStringList{"ReadOnly"});
    EXPECT_EQ(Nodes().Count(), nodes);
}
