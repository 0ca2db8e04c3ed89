#include "app/favorites/NewItems.h"

#include "app/favorites/ShortcutFile.h"
#include "app/favorites/frmNewFavorite.h"
#include "app/favorites/frmNewFolder.h"
#include "app/forms/Pictures.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Privileges.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{
const QByteArray OldShortcut = "[InternetShortcut]\r\nURL=http://old.test/\r\n";

class NewItemsTest : public MainWindowFixture
{
protected:
    // Types a name into the dialog and clicks a button (or presses Enter); gives the dialog's
    // result once it has closed, Open while it stays open.
    static constexpr int Open = -1;
    static constexpr int Enter = -1;
    int AddFolder(const QString& typed, int button = 0)
    {
        frmNewFolder dialog(*Main.tvFolders, &Main);
        dialog.show();
        QTest::keyClicks(dialog.txtFolder(), typed);
        if (button == Enter)
            QTest::keyClick(dialog.txtFolder(), Qt::Key_Return);
        else
            QTest::mouseClick(dialog.btnButton(button), Qt::LeftButton);
        return dialog.isVisible() ? Open : dialog.result();
    }
    int AddFavorite(const QString& desc, const QString& url, int button = 0)
    {
        frmNewFavorite dialog(*Main.tvFolders, &Main);
        dialog.show();
        QTest::keyClicks(dialog.txtDesc(), desc);
        dialog.txtURL()->setText(url);
        QTest::mouseClick(dialog.btnButton(button), Qt::LeftButton);
        return dialog.isVisible() ? Open : dialog.result();
    }
    // The sections of a file, or the keys of one of its sections.
    static QStringList Names(const QString& path, const QString& section = QString())
    {
        return ReadProfileString(section, QString(), QString(), 4096, path).split(QChar(u'\0'), Qt::SkipEmptyParts);
    }
};
} // namespace

TEST(NewItemNames, OnlyTheNineCharactersChangeAndAnAddressWithoutSchemeGetsHttp)
{
    EXPECT_EQ(CleanTypedName(QStringLiteral("a\\b/c:d*e?f<g>h|i\"j")), QStringLiteral("a-b-c-d-e-f-g-h-i-j"));
    EXPECT_EQ(CleanTypedName(QStringLiteral("  tab\there\r\n  ")), QStringLiteral("  tab\there\r\n  "));

    for (const char* kept : {"http://", "HTTP://EXAMPLE.TEST/", "https://x.test", "HtTpfoo", "ftp://x.test",
                             "mailto:someone@x.test", "a+b-c.d:rest", "z9:"})
        EXPECT_EQ(AddressWithScheme(QString::fromLatin1(kept)), QString::fromLatin1(kept));
    for (const char* bare : {"example.test", "localhost:8080/", "htt", "9a:x", "a_b:x", ":x", "a:1"})
        EXPECT_EQ(AddressWithScheme(QString::fromLatin1(bare)), QStringLiteral("http://") + QString::fromLatin1(bare));
}

TEST_F(NewItemsTest, CancelOrABlankNameClosesWithoutAChange)
{
    Favorites.MakeFolder(QStringLiteral("News"));
    Load();
    const int nodes = Nodes().Count();
    EXPECT_EQ(AddFolder(QStringLiteral("Name"), 1), QDialog::Rejected);
    EXPECT_EQ(AddFolder(QStringLiteral("   ")), QDialog::Rejected);
    EXPECT_EQ(AddFolder(QString()), QDialog::Rejected);
    EXPECT_EQ(AddFavorite(QStringLiteral("Name"), QStringLiteral("http://x.test"), 1), QDialog::Rejected);
    EXPECT_EQ(AddFavorite(QStringLiteral("   "), QStringLiteral("http://x.test")), QDialog::Rejected);
    EXPECT_EQ(AddFavorite(QStringLiteral("Name"), QStringLiteral("  ")), QDialog::Rejected);
    EXPECT_EQ(AddFavorite(QString(), QStringLiteral("http://x.test")), QDialog::Rejected);

    EXPECT_EQ(Entries(), QStringList{"News"});
    EXPECT_EQ(Nodes().Count(), nodes);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

// Typed names are cleaned but not trimmed; the new folder is selected. Enter in the name acts
// as OK, once.
TEST_F(NewItemsTest, ANewFolderIsCreatedWithItsNameCleanedAndSelected)
{
    Load();
    EXPECT_EQ(AddFolder(QStringLiteral("A/B"), Enter), QDialog::Accepted);
    Select(QString());
    EXPECT_EQ(AddFolder(QStringLiteral("  spaced  ")), QDialog::Accepted);

    EXPECT_EQ(Entries(), (QStringList{"  spaced  ", "A-B"}));
    ASSERT_EQ(Children(QString()), (QStringList{"A-B", "  spaced  "}));
    TreeNode* node = Node(QStringLiteral("A-B"));
    EXPECT_EQ(node->Image(), Pictures::OpenFolder);
    EXPECT_EQ(node->SelectedImage(), Pictures::OpenFolder);
    EXPECT_TRUE(Node(QStringLiteral("  spaced  "))->Selected());
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

// The file holds only the address; no section of the program's own is written.
TEST_F(NewItemsTest, ANewFavoriteHoldsOnlyItsAddressAndIsSelected)
{
    Load();
    const std::tuple<QString, QString, QString> cases[] = {
        {QStringLiteral("Bare"), QStringLiteral("example.test"), QStringLiteral("http://example.test")},
        {QStringLiteral("Capitals"), QStringLiteral("HTTP://EXAMPLE.TEST/"), QStringLiteral("HTTP://EXAMPLE.TEST/")},
        {QStringLiteral("Preset"), QStringLiteral("http://"), QStringLiteral("http://")},
        {QStringLiteral("a/b?"), QStringLiteral("https://secure.test/"), QStringLiteral("https://secure.test/")},
    };
    for (const auto& [desc, typed, stored] : cases) {
        EXPECT_EQ(AddFavorite(desc, typed), QDialog::Accepted);
        const QString name = CleanTypedName(desc);
        const QString path = Favorites.Sub(name + QStringLiteral(".url"));
        EXPECT_EQ(Names(path), QStringList{"InternetShortcut"});
        EXPECT_EQ(Names(path, QStringLiteral("InternetShortcut")), QStringList{"URL"});
        EXPECT_EQ(ReadShortcut(Favorites.Path(), name).Url, stored);

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

// A name in use in any letter case is refused with a word; a folder that cannot be written, or
// a name that would leave the folder, is reported. Either way nothing changes, no node is added
// and the dialog stays open for another name.
TEST_F(NewItemsTest, ARefusedNameChangesNothingAndKeepsTheDialogOpen)
{
    Favorites.MakeFolder(QStringLiteral("News"));
    Favorites.WriteFile(QStringLiteral("Old.URL"), OldShortcut);
    Favorites.MakeFolder(QStringLiteral("ReadOnly"));
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0555);
    Load();
    const int nodes = Nodes().Count();

    EXPECT_EQ(AddFolder(QStringLiteral("news")), Open);
    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("New Folder"));
    EXPECT_TRUE(desktop::ShownMessages()[0].Prompt.contains(QStringLiteral("news")));
    EXPECT_EQ(AddFavorite(QStringLiteral("old"), QStringLiteral("http://new.test/")), Open);
    ASSERT_EQ(desktop::ShownMessages().size(), 2);
    EXPECT_EQ(desktop::ShownMessages()[1].Title, QStringLiteral("Create New Favorite"));
    EXPECT_EQ(AddFolder(QStringLiteral(".")), Open);
    EXPECT_EQ(AddFolder(QStringLiteral("..")), Open);
    {
        ScopedFilePermissions asUser;
        Select(QStringLiteral("ReadOnly"));
        EXPECT_EQ(AddFolder(QStringLiteral("X")), Open);
        EXPECT_EQ(AddFavorite(QStringLiteral("Y"), QStringLiteral("http://")), Open);
    }
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0755);
    EXPECT_EQ(ReportedErrors(), (QList<int>{52, 52, 70, 75}));
    EXPECT_TRUE(Entries(QStringLiteral("ReadOnly")).isEmpty());
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Old.URL")), OldShortcut);
    EXPECT_EQ(Nodes().Count(), nodes);

    Select(QString());
    frmNewFolder folder(*Main.tvFolders, &Main);
    folder.show();
    folder.txtFolder()->setText(QStringLiteral("News"));
    QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
    folder.txtFolder()->setText(QStringLiteral("Newer"));
    QTest::mouseClick(folder.btnButton(0), Qt::LeftButton);
    EXPECT_FALSE(folder.isVisible());
    EXPECT_EQ(Entries(), (QStringList{"Newer", "News", "Old.URL", "ReadOnly"}));
    EXPECT_EQ(Nodes().Count(), nodes + 1);
}
