#include "app/checking/CheckRuns.h"

#include "app/checking/HttpProbe.h"
#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "app/forms/Pictures.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

namespace
{
void SetPicture(TreeNode* node, int picture)
{
    node->SetImage(picture);
    node->SetSelectedImage(picture);
}

void RefreshTreeView(TreeNode* node)
{
    if (QTreeWidget* view = node->treeWidget())
        view->viewport()->update();
}

// Expands a folder and shows it open, as the tree's expand event does; the runs rely on the
// open picture to tell the folder from a link.
void ExpandFolder(TreeNode* folder)
{
    folder->SetExpanded(true);
    if (folder->Image() == Pictures::ClosedFolder)
        folder->SetImage(Pictures::OpenFolder);
}

// A link node as a check sees it. The node is held by a reference that knows when it has
// left the tree, so a node removed while its probe waits is never touched, whatever node
// takes its place.
class TreeLink : public CheckedLink
{
public:
    TreeLink(TreeView& tree, TreeNode* node) : tree_(tree), node_(node) {}

    bool IsStillThere() const override { return node_ && node_->Parent(); }
    QString FolderPath() const override { return node_->Parent()->Key(); }
    QString Name() const override { return node_->Text(); }
    void ShowStatus(int16_t status) override { SetNodeStatus(status, node_.get()); }
    void RenameTo(const QString& title) override { RenameNode(tree_, title, node_.get()); }

private:
    TreeView& tree_;
    NodeRef node_;
};

// While a run goes on the tree is drawn at most about 30 times a second, so a fast run is not
// spent drawing; the last results are drawn at once when it ends.
class ThrottledDrawing
{
public:
    explicit ThrottledDrawing(QWidget* view) : view_(view)
    {
        view_->setUpdatesEnabled(false);
        timer_.setInterval(33);
        QObject::connect(&timer_, &QTimer::timeout, view_, [this] { Draw(); });
        timer_.start();
    }
    ~ThrottledDrawing()
    {
        timer_.stop();
        if (view_)
            Draw();
        if (view_)
            view_->setUpdatesEnabled(true);
    }
    ThrottledDrawing(const ThrottledDrawing&) = delete;
    ThrottledDrawing& operator=(const ThrottledDrawing&) = delete;

private:
    void Draw()
    {
        view_->setUpdatesEnabled(true);
        view_->repaint();
        view_->setUpdatesEnabled(false);
    }

    QPointer<QWidget> view_;
    QTimer timer_;
};

// Checks the links in order, as many at once as the window allows.
void RunLinks(CheckRunHost& host, const std::vector<TreeNode*>& nodes)
{
    const ThrottledDrawing drawing(host.Tree().viewport());
    std::vector<std::unique_ptr<TreeLink>> links;
    std::vector<CheckedLink*> order;
    links.reserve(nodes.size());
    for (TreeNode* node : nodes) {
        links.push_back(std::make_unique<TreeLink>(host.Tree(), node));
        order.push_back(links.back().get());
    }
    CheckRun(host.RunLimits()).Run(order, [&host] { return host.CheckRunning(); });
}

// Ends a run: a stopped one says so and keeps its text, a finished one clears it.
void EndRun(CheckRunHost& host)
{
    if (!host.CheckRunning()) {
        desktop::MsgBox(QStringLiteral("Link Checking Aborted"), desktop::vbOKOnly, desktop::App::Title());
    } else {
        host.ShowRunText(QString());
        host.SetCheckRunning(false);
    }
    host.RunFinished();
}

// A run may not start inside another, nor while Check Link waits for its reply.
bool RunRefused(CheckRunHost& host)
{
    return host.CheckRunning() || host.Probe().Waiting();
}
} // namespace

void SetNodeStatus(int16_t status, TreeNode* node)
{
    if (status == -1)
        SetPicture(node, Pictures::LinkNoReply);
    else if (status == 404 || status == 410)
        SetPicture(node, Pictures::LinkBroken);
    else
        SetPicture(node, Pictures::LinkAnswered);
    RefreshTreeView(node);
}

void CheckAllLinks(CheckRunHost& host)
{
    if (RunRefused(host))
        return;
    host.ShowRunText(QStringLiteral(" Verifying Links "));
    host.SetCheckRunning(true);
    host.RunStarted();

    TreeNodes& nodes = host.Tree().Nodes();
    for (int i = 1; i <= nodes.Count(); ++i) {
        TreeNode* node = nodes.Item(i);
        if (node->Image() == Pictures::ClosedFolder)
            ExpandFolder(node);
        if (node->Image() != Pictures::OpenFolder)
            SetPicture(node, Pictures::LinkNotChecked);
    }

    std::vector<TreeNode*> links;
    for (int i = 1; i <= nodes.Count(); ++i) {
        TreeNode* node = nodes.Item(i);
        if (!IsFolderNode(node) && node->Image() == Pictures::LinkNotChecked)
            links.push_back(node);
    }
    RunLinks(host, links);
    EndRun(host);
}

void CheckFolderLinks(CheckRunHost& host, TreeNode* folder)
{
    if (!folder || !IsFolderNode(folder) || RunRefused(host))
        return;
    host.ShowRunText(QStringLiteral(" Verifying Directory ") + folder->Text() + QStringLiteral(" "));
    host.SetCheckRunning(true);
    ExpandFolder(folder);
    host.RunStarted();

    // The folder's own links are its direct children that are not folders, wherever they
    // stand in the tree's order: favorites added after loading are among them.
    std::vector<TreeNode*> links;
    for (int c = 0; c < folder->Children(); ++c) {
        TreeNode* child = folder->Child(c);
        if (!IsFolderNode(child)) {
            SetPicture(child, Pictures::LinkNotChecked);
            links.push_back(child);
        }
    }
    RunLinks(host, links);
    EndRun(host);
}

void CheckSelectedLink(CheckRunHost& host)
{
    // The waiting probe keeps its own link and result; this request is dropped.
    if (host.CheckRunning() || host.Probe().Waiting())
        return;
    TreeNode* node = host.Tree().SelectedItem();
    if (!node || !node->Parent() || IsFolderNode(node))
        return;
    SetPicture(node, Pictures::LinkNotChecked);
    RefreshTreeView(node);
    TreeLink link(host.Tree(), node);
    ApplyLinkCheck(link, std::nullopt,
                   [&host](const QString& url, int16_t linkTimeout) { return ProbeUrl(host.Probe(), url, linkTimeout); });
}
