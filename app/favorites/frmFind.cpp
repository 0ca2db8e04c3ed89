#include "app/favorites/frmFind.h"

#include "ui_frmFind.h"

#include "platform/desktop/MessageBox.h"

#include <QPushButton>

#include <algorithm>

frmFind::frmFind(TreeView& tree, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::frmFind>()), Tree(tree), Owner(owner)
{
    ui->setupUi(this);
    // Closing ends the dialog and its search; the next Find starts afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    ui->rForward->setChecked(true);
    ui->btnButton_0->setEnabled(false);
    ui->btnButton_1->setEnabled(false);
    connect(ui->btnButton_0, &QPushButton::clicked, this, [this] { btnButton_Click(0); });
    connect(ui->btnButton_1, &QPushButton::clicked, this, [this] { btnButton_Click(1); });
    connect(ui->btnButton_2, &QPushButton::clicked, this, [this] { btnButton_Click(2); });
    connect(ui->txtSearchText, &QLineEdit::textChanged, this, [this] { txtSearchText_Change(); });
}

frmFind::~frmFind() = default;

QPushButton* frmFind::btnButton(int index) const
{
    switch (index) {
    case 0:
        return ui->btnButton_0;
    case 1:
        return ui->btnButton_1;
    case 2:
        return ui->btnButton_2;
    default:
        return nullptr;
    }
}

void frmFind::btnButton_Click(int16_t index)
{
    switch (index) {
    case 0:
        SearchText = ui->txtSearchText->text();
        FindFirst();
        break;
    case 1:
        FindNext();
        break;
    case 2:
        close();
        break;
    default:
        break;
    }
}

void frmFind::txtSearchText_Change()
{
    ui->btnButton_0->setEnabled(!ui->txtSearchText->text().trimmed().isEmpty());
}

void frmFind::FindFirst()
{
    const int count = Tree.Nodes().Count();
    if (ui->rForward->isChecked()) {
        SearchFirst = 1;
        SearchLast = count;
        SearchStep = 1;
    } else {
        SearchFirst = count;
        SearchLast = 1;
        SearchStep = -1;
    }
    SearchCompare = ui->chkCase->isChecked() ? 0 : 1;
    SearchFound = false;

    if (TreeNode* node = SearchFrom(SearchFirst)) {
        ShowFound(node);
        ui->btnButton_1->setEnabled(true);
        SearchFound = true;
        return;
    }
    desktop::MsgBox(QStringLiteral("No folder or favorite has a name that contains ") + SearchedText() +
                        QStringLiteral("."),
                    desktop::vbOKOnly | desktop::vbInformation, QStringLiteral("Search Text Not Found"));
}

void frmFind::FindNext()
{
    SearchFound = false;
    SearchCompare = ui->chkCase->isChecked() ? 0 : 1;
    // Before the first Find there is no search to go on with.
    if (SearchStep != 0) {
        // Nodes removed before the one found last renumber it: the search goes on from where
        // that node stands now.
        if (const TreeNode* found = Found.get())
            SearchPos = found->Index();
        if (TreeNode* node = SearchFrom(SearchPos + SearchStep)) {
            ShowFound(node);
            SearchFound = true;
            return;
        }
    }
    const QString end = SearchStep < 0 ? QStringLiteral("top") : QStringLiteral("bottom");
    desktop::MsgBox(QStringLiteral("No more folders or favorites have a name that contains ") + SearchedText() +
                        QStringLiteral(": the search has reached the ") + end +
                        QStringLiteral(" of the Favorites list. Click Find to search again from the start."),
                    desktop::vbOKOnly | desktop::vbInformation, QStringLiteral("Search Ended"));
}

TreeNode* frmFind::SearchFrom(int start)
{
    // The tree may have lost, gained or reloaded nodes since Find: the search visits only
    // positions that exist now.
    const TreeNodes& nodes = Tree.Nodes();
    const int count = nodes.Count();
    const Qt::CaseSensitivity sensitivity = SearchCompare == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (SearchStep > 0) {
        const int last = std::min(SearchLast, count);
        for (SearchPos = std::max(start, 1); SearchPos <= last; ++SearchPos) {
            if (nodes.Item(SearchPos)->Text().contains(SearchText, sensitivity))
                return nodes.Item(SearchPos);
        }
    } else if (SearchStep < 0) {
        const int last = std::max(SearchLast, 1);
        for (SearchPos = std::min(start, count); SearchPos >= last; --SearchPos) {
            if (nodes.Item(SearchPos)->Text().contains(SearchText, sensitivity))
                return nodes.Item(SearchPos);
        }
    }
    return nullptr;
}

void frmFind::ShowFound(TreeNode* node)
{
    node->SetSelected(true);
    node->EnsureVisible();
    // A node the search selects is selected as if the user had clicked it: the menus and the
    // tool bar must offer that node's commands, not those of the node selected before.
    emit Tree.NodeClick(node);
    Found = NodeRef(node);
    // Raised, not activated: the keyboard stays here for the next Find Next.
    if (Owner)
        Owner->raise();
}

QString frmFind::SearchedText() const
{
    return QStringLiteral("\"") + SearchText + QStringLiteral("\"");
}

frmFind* ShowFindDialog(TreeView& tree, QWidget* owner)
{
    frmFind* dialog = nullptr;
    for (frmFind* open : owner->findChildren<frmFind*>(QString(), Qt::FindDirectChildrenOnly)) {
        // A closed dialog waits for its deletion; it is not used again.
        if (open->isVisible() && !dialog)
            dialog = open;
        else if (!open->isVisible())
            delete open;
    }
    if (!dialog)
        dialog = new frmFind(tree, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}
