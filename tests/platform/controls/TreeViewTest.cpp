#include "platform/controls/TreeView.h"

#include "platform/controls/ImageList.h"
#include "platform/runtime/ErrorRecord.h"
#include "tests/support/RaisedError.h"

#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace
{
QIcon Solid(const QColor& colour)
{
    QPixmap pix(16, 16);
    pix.fill(colour);
    return QIcon(pix);
}

QRgb CentreOf(const QIcon& icon, QIcon::Mode mode)
{
    return icon.pixmap(QSize(16, 16), mode).toImage().pixel(8, 8);
}

QStringList TextsInCollectionOrder(const TreeView& tree)
{
    QStringList texts;
    for (int i = 1; i <= tree.Nodes().Count(); ++i) {
        EXPECT_EQ(tree.Nodes().Item(i)->Index(), i);
        texts << tree.Nodes().Item(i)->Text();
    }
    return texts;
}

class TreeViewTest : public ::testing::Test
{
protected:
    TreeView Tree;
    TreeNodes& Nodes = Tree.Nodes();

    TreeNode* Add(TreeNode* parent, const char* key, const char* text)
    {
        return Nodes.Add(parent, TreeRelationship::Child, QString::fromLatin1(key), QString::fromLatin1(text));
    }
};
} // namespace

// Nodes are numbered from one in the order added; removing one takes its descendants and
// renumbers the rest.
TEST_F(TreeViewTest, NumbersNodesFromOneInTheOrderAddedAndAfterRemovals)
{
    TreeNode* root = Add(nullptr, "r", "root");
    TreeNode* a = Add(root, "a", "A");
    Add(a, "a1", "a1");
    Add(root, "b", "B");
    Add(a, "a2", "a2");
    EXPECT_EQ(TextsInCollectionOrder(Tree), (QStringList{"root", "A", "a1", "B", "a2"}));
    EXPECT_EQ(Nodes.Item(QStringLiteral("b"))->Index(), 4);
    EXPECT_EQ(a->Children(), 2);
    EXPECT_EQ(a->Child(1)->Text(), QStringLiteral("a2"));
    EXPECT_EQ(a->Child(1)->Parent(), a);
    EXPECT_EQ(root->Parent(), nullptr);
    EXPECT_EQ(Tree.topLevelItemCount(), 1);

    Add(root, "c", "C");
    Nodes.Remove(a);
    EXPECT_EQ(TextsInCollectionOrder(Tree), (QStringList{"root", "B", "C"}));
    EXPECT_EQ(root->Children(), 2);
    EXPECT_FALSE(Nodes.Exists(QStringLiteral("a1")));
    EXPECT_EQ(ErrorNumberOf([&] { Nodes.Item(QStringLiteral("a2")); }), treeerrors::ElementNotFound);
    // The freed keys can be used again.
    EXPECT_NO_THROW(Add(root, "a", "A again"));

    Nodes.Remove(2);
    EXPECT_EQ(TextsInCollectionOrder(Tree), (QStringList{"root", "C", "A again"}));

    Nodes.Clear();
    EXPECT_EQ(Nodes.Count(), 0);
    EXPECT_EQ(Tree.topLevelItemCount(), 0);
    EXPECT_FALSE(Nodes.Exists(QStringLiteral("c")));
}

TEST_F(TreeViewTest, KeysAreUniqueAndLookupsFailWithTheirOwnNumbers)
{
    TreeNode* root = Add(nullptr, "r", "root");
    TreeNode* link = Add(root, "", "no key");
    Add(root, "", "no key either");

    EXPECT_EQ(ErrorNumberOf([&] { Add(root, "r", "again"); }), treeerrors::KeyNotUnique);
    EXPECT_EQ(Nodes.Count(), 3);
    EXPECT_EQ(ErrorNumberOf([&] { Nodes.Item(0); }), treeerrors::IndexOutOfBounds);
    EXPECT_EQ(ErrorNumberOf([&] { Nodes.Item(4); }), treeerrors::IndexOutOfBounds);
    EXPECT_EQ(ErrorNumberOf([&] { Nodes.Item(QStringLiteral("")); }), treeerrors::ElementNotFound);

    Nodes.SetKey(link, QStringLiteral("/fav/link.URL"));
    EXPECT_EQ(Nodes.Item(QStringLiteral("/fav/link.URL")), link);
    EXPECT_EQ(ErrorNumberOf([&] { Nodes.SetKey(link, QStringLiteral("r")); }), treeerrors::KeyNotUnique);
    EXPECT_EQ(link->Key(), QStringLiteral("/fav/link.URL"));
}

TEST_F(TreeViewTest, TheSelectedNodeDrawsItsSelectedImage)
{
    ImageList images;
    images.Add(Solid(Qt::red));
    images.Add(Solid(Qt::green));
    images.Add(Solid(Qt::blue));
    Tree.SetImageList(&images);
    TreeNode* root = Add(nullptr, "r", "root");
    TreeNode* folder = Add(root, "f", "folder");
    folder->SetImage(1);
    folder->SetSelectedImage(2);
    root->SetImage(3);
    root->SetSelectedImage(3);

    const QIcon icon = folder->data(0, Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(CentreOf(icon, QIcon::Normal), QColor(Qt::red).rgb());
    EXPECT_EQ(CentreOf(icon, QIcon::Selected), QColor(Qt::green).rgb());

    EXPECT_EQ(folder->DisplayedImage(), 1);
    folder->SetSelected(true);
    EXPECT_TRUE(folder->Selected());
    EXPECT_EQ(Tree.SelectedItem(), folder);
    EXPECT_EQ(folder->DisplayedImage(), 2);
    // Image and SelectedImage stay separate: changing one leaves the other.
    folder->SetImage(3);
    EXPECT_EQ(folder->SelectedImage(), 2);
    root->SetSelected(true);
    EXPECT_FALSE(folder->Selected());
    EXPECT_EQ(folder->DisplayedImage(), 3);
}

TEST_F(TreeViewTest, ExpandedIsKeptEvenForNodesWithoutChildren)
{
    TreeNode* root = Add(nullptr, "r", "root");
    TreeNode* empty = Add(root, "e", "empty");
    TreeNode* deep = Add(empty, "d", "deep");
    empty->SetExpanded(true);
    EXPECT_TRUE(empty->Expanded());
    deep->SetExpanded(true);
    EXPECT_TRUE(deep->Expanded());
    empty->SetExpanded(false);
    EXPECT_FALSE(empty->Expanded());
    deep->EnsureVisible();
    EXPECT_TRUE(empty->Expanded());
    EXPECT_TRUE(root->Expanded());
}
