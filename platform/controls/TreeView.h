#pragma once
#include <QHash>
#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <memory>
#include <vector>

class ImageList;
class TreeView;

// Errors the node collection raises.
namespace treeerrors
{
constexpr int IndexOutOfBounds = 35600;
constexpr int ElementNotFound = 35601;
constexpr int KeyNotUnique = 35602;
} // namespace treeerrors

// One node of a TreeView: its key, text, pictures and place in the tree.
class TreeNode : public QTreeWidgetItem
{
public:
    ~TreeNode() override;

    const QString& Key() const { return key_; }
    QString Text() const { return text(0); }
    void SetText(const QString& text);

    // Pictures are indexes into the tree's ImageList; the selected node draws SelectedImage.
    int Image() const { return image_; }
    void SetImage(int index);
    int SelectedImage() const { return selectedImage_; }
    void SetSelectedImage(int index);

    bool Expanded() const { return expanded_; }
    void SetExpanded(bool expanded);

    TreeNode* Parent() const { return static_cast<TreeNode*>(parent()); }
    int Children() const { return childCount(); }
    TreeNode* Child(int position) const { return static_cast<TreeNode*>(child(position)); }
    // Place in the tree's node collection, from 1.
    int Index() const { return index_; }

    bool Selected() const;
    void SetSelected(bool selected);
    // Expands every ancestor and scrolls the node into view.
    void EnsureVisible();
    // The picture the node draws now: SelectedImage while selected, Image otherwise.
    int DisplayedImage() const { return Selected() ? selectedImage_ : image_; }

    QVariant data(int column, int role) const override;

private:
    friend class TreeNodes;
    friend class TreeView;
    TreeNode(TreeView* owner, QString key, const QString& text);

    friend class NodeRef;

    TreeView* view_;
    // Shared with every NodeRef to this node; cleared when the node leaves the tree.
    std::shared_ptr<TreeNode*> self_;
    QString key_;
    int image_ = 0;
    int selectedImage_ = 0;
    int index_ = 0;
    bool expanded_ = false;
};

// A node kept across dispatched events (a probe's wait, an open dialog, a pop-up menu): the
// node, or null once it has left the tree. Another node that takes its place, even at the
// same address, is never taken for it.
class NodeRef
{
public:
    NodeRef() = default;
    explicit NodeRef(TreeNode* node) : node_(node ? node->self_ : nullptr) {}

    TreeNode* get() const { return node_ ? *node_ : nullptr; }
    TreeNode* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }
    bool operator==(const TreeNode* node) const { return node && get() == node; }

private:
    std::shared_ptr<TreeNode*> node_;
};

// How a new node stands to the node it is added relative to.
enum class TreeRelationship
{
    Child, // the last child of the relative node
};

// The nodes of one TreeView, numbered from 1 in the order they were added. Keys, where a
// node has one, are unique.
class TreeNodes
{
public:
    explicit TreeNodes(TreeView& view);

    // Adds a top-level node when relative is null, otherwise as the relationship says.
    TreeNode* Add(TreeNode* relative, TreeRelationship relationship, const QString& key, const QString& text);
    TreeNode* Item(int index) const;
    TreeNode* Item(const QString& key) const;
    // The node with this key, or null; never raises.
    TreeNode* Find(const QString& key) const;
    bool Exists(const QString& key) const { return !key.isEmpty() && byKey_.contains(key); }
    // Gives a node another key (empty removes its key); a key another node holds is refused.
    void SetKey(TreeNode* node, const QString& key);
    // Removes the node with all its descendants; the nodes after them are renumbered.
    void Remove(int index);
    void Remove(TreeNode* node);
    void Clear();
    int Count() const { return static_cast<int>(nodes_.size()); }

private:
    TreeView& view_;
    std::vector<TreeNode*> nodes_;
    QHash<QString, TreeNode*> byKey_;
};

// A tree of nodes with pictures from an ImageList.
class TreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);

    TreeNodes& Nodes() { return nodes_; }
    const TreeNodes& Nodes() const { return nodes_; }
    ::ImageList* ImageList() const { return imageList_; }
    void SetImageList(::ImageList* images);
    TreeNode* SelectedItem() const;

    // Starts editing the selected node's label in place; the edit ends in AfterLabelEdit.
    void StartLabelEdit();

signals:
    // The user confirmed a label edit of `node`. The node's text is not changed by the tree:
    // whoever handles this sets it (or leaves it) as the outcome demands.
    void AfterLabelEdit(TreeNode* node, const QString& newString);
    // The user picked a node with the mouse or the keyboard.
    void NodeClick(TreeNode* node);
    // A mouse button was released over the tree; a right click does not change the selection.
    void MouseUp(Qt::MouseButton button, const QPoint& position);
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TreeNodes nodes_;
    ::ImageList* imageList_ = nullptr;
    QTreeWidgetItem* pressedItem_ = nullptr;
};
