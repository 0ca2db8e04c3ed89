#include "platform/controls/TreeView.h"

#include "platform/controls/ImageList.h"
#include "platform/runtime/ErrorRecord.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <unordered_set>

// ---- TreeNode -------------------------------------------------------------------------------

TreeNode::TreeNode(TreeView* owner, QString key, const QString& text)
    : view_(owner), self_(std::make_shared<TreeNode*>(this)), key_(std::move(key))
{
    setText(0, text);
    setFlags(flags() | Qt::ItemIsEditable);
}

TreeNode::~TreeNode()
{
    *self_ = nullptr;
}

void TreeNode::SetText(const QString& text)
{
    setText(0, text);
}

void TreeNode::SetImage(int index)
{
    if (image_ == index)
        return;
    image_ = index;
    emitDataChanged();
}

void TreeNode::SetSelectedImage(int index)
{
    if (selectedImage_ == index)
        return;
    selectedImage_ = index;
    emitDataChanged();
}

void TreeNode::SetExpanded(bool expanded)
{
    expanded_ = expanded;
    setExpanded(expanded);
}

bool TreeNode::Selected() const
{
    return view_ && view_->currentItem() == this && isSelected();
}

void TreeNode::SetSelected(bool selected)
{
    if (!view_)
        return;
    if (selected) {
        view_->setCurrentItem(const_cast<TreeNode*>(this));
    } else if (Selected()) {
        setSelected(false);
    }
}

void TreeNode::EnsureVisible()
{
    for (TreeNode* up = Parent(); up; up = up->Parent()) {
        if (!up->Expanded())
            up->SetExpanded(true);
    }
    if (view_)
        view_->scrollToItem(this);
}

QVariant TreeNode::data(int column, int role) const
{
    if (role == Qt::DecorationRole && column == 0) {
        if (!view_ || !view_->ImageList() || (image_ == 0 && selectedImage_ == 0))
            return {};
        return view_->ImageList()->NodeIcon(image_, selectedImage_);
    }
    return QTreeWidgetItem::data(column, role);
}

// ---- TreeNodes ------------------------------------------------------------------------------

TreeNodes::TreeNodes(TreeView& view) : view_(view) {}

TreeNode* TreeNodes::Add(TreeNode* relative, TreeRelationship relationship, const QString& key, const QString& text)
{
    Q_UNUSED(relationship);
    if (!key.isEmpty() && byKey_.contains(key))
        throw runtime::Error(treeerrors::KeyNotUnique, "Key is not unique in collection");
    auto* node = new TreeNode(&view_, key, text);
    if (relative)
        relative->addChild(node);
    else
        view_.addTopLevelItem(node);
    nodes_.push_back(node);
    node->index_ = static_cast<int>(nodes_.size());
    if (!key.isEmpty())
        byKey_.insert(key, node);
    return node;
}

TreeNode* TreeNodes::Item(int index) const
{
    if (index < 1 || index > Count())
        throw runtime::Error(treeerrors::IndexOutOfBounds, "Index out of bounds");
    return nodes_[static_cast<size_t>(index - 1)];
}

TreeNode* TreeNodes::Item(const QString& key) const
{
    TreeNode* node = Find(key);
    if (!node)
        throw runtime::Error(treeerrors::ElementNotFound, "Element not found");
    return node;
}

TreeNode* TreeNodes::Find(const QString& key) const
{
    if (key.isEmpty())
        return nullptr;
    return byKey_.value(key, nullptr);
}

void TreeNodes::SetKey(TreeNode* node, const QString& key)
{
    if (node->key_ == key)
        return;
    if (!key.isEmpty() && byKey_.contains(key))
        throw runtime::Error(treeerrors::KeyNotUnique, "Key is not unique in collection");
    if (!node->key_.isEmpty())
        byKey_.remove(node->key_);
    node->key_ = key;
    if (!key.isEmpty())
        byKey_.insert(key, node);
}

void TreeNodes::Remove(int index)
{
    Remove(Item(index));
}

void TreeNodes::Remove(TreeNode* node)
{
    if (!node || node->index_ < 1 || node->index_ > Count() || nodes_[static_cast<size_t>(node->index_ - 1)] != node)
        throw runtime::Error(treeerrors::ElementNotFound, "Element not found");

    std::unordered_set<const TreeNode*> doomed;
    std::vector<TreeNode*> pending{node};
    while (!pending.empty()) {
        TreeNode* next = pending.back();
        pending.pop_back();
        doomed.insert(next);
        if (!next->key_.isEmpty())
            byKey_.remove(next->key_);
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->Child(i));
    }
    const size_t first = static_cast<size_t>(node->index_ - 1);
    auto kept = std::stable_partition(nodes_.begin() + static_cast<std::ptrdiff_t>(first), nodes_.end(),
                                      [&](const TreeNode* n) { return !doomed.contains(n); });
    nodes_.erase(kept, nodes_.end());
    for (size_t i = first; i < nodes_.size(); ++i)
        nodes_[i]->index_ = static_cast<int>(i + 1);
    delete node; // takes its children with it
}

void TreeNodes::Clear()
{
    nodes_.clear();
    byKey_.clear();
    view_.clear();
}

// ---- TreeView -------------------------------------------------------------------------------

namespace
{
// Hands a confirmed label edit to the tree's AfterLabelEdit instead of writing the typed text
// into the node: the handler decides what the node's text becomes.
class LabelEditDelegate : public QStyledItemDelegate
{
public:
    explicit LabelEditDelegate(TreeView* tree) : QStyledItemDelegate(tree), tree_(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        auto* node = static_cast<TreeNode*>(tree_->itemFromIndex(index));
        if (line && node)
            emit tree_->AfterLabelEdit(node, line->text());
    }

private:
    TreeView* tree_;
};
} // namespace

TreeView::TreeView(QWidget* parent) : QTreeWidget(parent), nodes_(*this)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new LabelEditDelegate(this));
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { emit DblClick(); });
    // Keep each node's own expansion flag in step when the user opens or closes a folder.
    connect(this, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) { static_cast<TreeNode*>(item)->expanded_ = true; });
    connect(this, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) { static_cast<TreeNode*>(item)->expanded_ = false; });
}

void TreeView::SetImageList(::ImageList* images)
{
    imageList_ = images;
    if (images)
        setIconSize(images->ImageSize());
    viewport()->update();
}

TreeNode* TreeView::SelectedItem() const
{
    return static_cast<TreeNode*>(currentItem());
}

void TreeView::StartLabelEdit()
{
    if (QTreeWidgetItem* item = currentItem())
        editItem(item, 0);
}

void TreeView::mousePressEvent(QMouseEvent* event)
{
    // A right click leaves the selection alone: its menu belongs to the node already selected.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
    pressedItem_ = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
}

void TreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QTreeWidget::mouseReleaseEvent(event);
    QTreeWidgetItem* released = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && released && released == pressedItem_ && released == currentItem())
        emit NodeClick(static_cast<TreeNode*>(released));
    pressedItem_ = nullptr;
    emit MouseUp(event->button(), event->position().toPoint());
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void TreeView::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() && currentItem() != before)
        emit NodeClick(static_cast<TreeNode*>(currentItem()));
}
