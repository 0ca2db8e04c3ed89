#include "app/favorites/FavoritesTree.h"

#include "app/forms/Pictures.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Privileges.h"

namespace
{
// The tree written as text: a node's text, then its children in brackets.
QString Describe(const TreeNode* node)
{
    QString text = node->Text();
    if (node->Children() > 0) {
        QStringList children;
        for (int i = 0; i < node->Children(); ++i)
            children << Describe(node->Child(i));
        text += QStringLiteral("[") + children.join(QStringLiteral(",")) + QStringLiteral("]");
    }
    return text;
}

class FavoritesTreeTest : public MainWindowFixture
{
protected:
    TreeNode* At(int index) { return Nodes().Item(index); }
    QString Tree() { return Describe(Root()); }
};
} // namespace

// Only files ending in ".url", in any letter case, become links. A reload shows every link
// unchecked again.
TEST_F(FavoritesTreeTest, LinksComeFirstThenFoldersDepthFirstAndAReloadShowsThemUnchecked)
{
    for (const char* name : {"a.URL", "b.Url", "c.url", "d.url.txt", "e.lnk", "desktop.ini", ".url", "urlx", "url",
                             "S2/.keep", "S1/M.URL", "S1/Deep/N.url"})
        Favorites.WriteFile(QString::fromLatin1(name));
    Favorites.MakeFolder(QStringLiteral("x.url"));
    Load();

    EXPECT_EQ(Tree(), QStringLiteral("Favorites[,a,b,c,S1[M,Deep[N]],S2,x.url]"));
    QStringList order;
    for (int i = 1; i <= Nodes().Count(); ++i)
        order << At(i)->Text();
    EXPECT_EQ(order, (QStringList{"Favorites", "", "a", "b", "c", "S1", "M", "Deep", "N", "S2", "x.url"}));
    for (int i : {2, 3, 4, 5, 7, 9}) {
        EXPECT_EQ(At(i)->Image(), Pictures::LinkNotChecked);
        EXPECT_EQ(At(i)->SelectedImage(), Pictures::LinkNotChecked);
        EXPECT_TRUE(At(i)->Key().isEmpty());
        EXPECT_FALSE(IsFolderNode(At(i)));
    }
    EXPECT_TRUE(IsFolderNode(At(11)));
    EXPECT_EQ(At(11)->Key(), Favorites.Sub(QStringLiteral("x.url")));
    EXPECT_EQ(Nodes().Item(Favorites.Sub(QStringLiteral("S1/Deep")))->Text(), QStringLiteral("Deep"));
    EXPECT_EQ(LinkFilePath(At(7)), Favorites.Sub(QStringLiteral("S1/M.URL")));
    EXPECT_TRUE(Nodes().Item(Favorites.Sub(QStringLiteral("S2")))->Expanded());
    EXPECT_EQ(TotalsText(Main.Favorites.LinkCount, Main.Favorites.FolderCount),
              QStringLiteral("Total: 6 Favorites in 5 Folders  "));
    EXPECT_EQ(Root()->Key(), Favorites.Path());
    EXPECT_EQ(Root()->Image(), Pictures::OpenFolder);
    EXPECT_EQ(Root()->SelectedImage(), Pictures::OpenFolder);
    EXPECT_TRUE(Root()->Expanded());
    EXPECT_TRUE(Root()->Selected());

    At(3)->SetImage(Pictures::LinkBroken);
    At(7)->SetImage(Pictures::LinkAnswered);
    At(6)->SetImage(Pictures::ClosedFolder);
    // Totals near the limit: a reload that went on counting from them would overflow and
    // cut the tree short.
    Main.Favorites.LinkCount = 32767;
    Main.Favorites.FolderCount = 32767;
    RefreshTree(*Main.tvFolders, Main.Favorites);
    RefreshTree(*Main.tvFolders, Main.Favorites);

    EXPECT_EQ(Tree(), QStringLiteral("Favorites[,a,b,c,S1[M,Deep[N]],S2,x.url]"));
    EXPECT_EQ(Main.Favorites.LinkCount, 6);
    EXPECT_EQ(Main.Favorites.FolderCount, 5);
    EXPECT_EQ(At(3)->Image(), Pictures::LinkNotChecked);
    EXPECT_EQ(At(6)->Image(), Pictures::OpenFolder);
    EXPECT_EQ(At(7)->Image(), Pictures::LinkNotChecked);
    EXPECT_TRUE(Root()->Selected());
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(FavoritesTreeTest, AMissingFavoritesFolderIsReportedTwiceAndLeavesTheRootAlone)
{
    Main.Favorites.FavoritesPath = Favorites.Sub(QStringLiteral("gone"));
    Load();
    EXPECT_EQ(Nodes().Count(), 1);
    EXPECT_EQ(ReportedErrors(), (QList<int>{76, 76}));
    const auto& first = desktop::ShownMessages()[0];
    EXPECT_EQ(first.Prompt, QStringLiteral("Path not found"));
    EXPECT_EQ(first.Style, desktop::vbExclamation);
    EXPECT_EQ(Program.ReadFile(QStringLiteral("ERROR.LOG")).count("\r\n"), 2);
}

TEST_F(FavoritesTreeTest, AnUnreadableSubfolderIsReportedOnceAndItsSiblingsStillLoad)
{
    for (const char* name : {"A/a.url", "B/secret.url", "C/c.url"})
        Favorites.WriteFile(QString::fromLatin1(name));
    SetMode(Favorites.Sub(QStringLiteral("B")), 0);
    {
        ScopedFilePermissions asUser;
        Load();
    }
    SetMode(Favorites.Sub(QStringLiteral("B")), 0700);

    EXPECT_EQ(Tree(), QStringLiteral("Favorites[A[a],B,C[c]]"));
    EXPECT_EQ(ReportedErrors(), (QList<int>{70}));
}

// The node that takes a counter past 32767 is added and reported, and the rest of its folder
// skipped. The subfolders are a step of their own and still load (and report their own overflow).
TEST_F(FavoritesTreeTest, TheNodeThatPassesACounterLimitIsAddedAndTheRestOfItsFolderSkipped)
{
    for (const char* name : {"a.url", "b.url", "c.url", "Sub/s.url", "Sub2/t.url", "Sub3/u.url"})
        Favorites.WriteFile(QString::fromLatin1(name));
    Main.Favorites.LinkCount = 32766;
    Load();
    EXPECT_EQ(Tree(), QStringLiteral("Favorites[a,b,Sub[s],Sub2[t],Sub3[u]]"));
    EXPECT_EQ(Main.Favorites.LinkCount, 32767);
    EXPECT_EQ(ReportedErrors(), (QList<int>{6, 6, 6, 6}));
    EXPECT_EQ(desktop::ShownMessages()[0].Prompt, QStringLiteral("Overflow"));

    desktop::ClearShownMessages();
    Main.Favorites.LinkCount = 0;
    Main.Favorites.FolderCount = 32766;
    Load();
    EXPECT_EQ(Tree(), QStringLiteral("Favorites[a,b,c,Sub[s],Sub2]"));
    EXPECT_EQ(Main.Favorites.FolderCount, 32767);
    EXPECT_EQ(ReportedErrors(), (QList<int>{6}));
}

TEST_F(FavoritesTreeTest, SymbolicLinkLoopsAreShownButNotEnteredAgain)
{
    for (const char* name : {"A/a.url", "B/b.url", "Real/r.url"})
        Favorites.WriteFile(QString::fromLatin1(name));
    ASSERT_TRUE(QFile::link(Favorites.Path(), Favorites.Sub(QStringLiteral("A/up"))));
    ASSERT_TRUE(QFile::link(Favorites.Sub(QStringLiteral("B")), Favorites.Sub(QStringLiteral("A/toB"))));
    ASSERT_TRUE(QFile::link(Favorites.Sub(QStringLiteral("A")), Favorites.Sub(QStringLiteral("B/toA"))));
    ASSERT_TRUE(QFile::link(Favorites.Sub(QStringLiteral("Real")), Favorites.Sub(QStringLiteral("Alias"))));

    Load();

    // A link to a folder outside the current path is entered like any folder; one back into
    // the path is shown as a folder without entering it.
    EXPECT_EQ(Tree(), QStringLiteral("Favorites[A[a,toB[b,toA],up],Alias[r],B[b,toA[a,toB,up]],Real[r]]"));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}
