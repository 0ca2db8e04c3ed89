#include "app/settings/frmOptions.h"

#include "ui_frmOptions.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/ShortcutFile.h"
#include "app/settings/AppSettings.h"
#include "app/settings/BrowserIntegration.h"
#include "app/settings/Common.h"
#include "app/settings/LinkAddress.h"
#include "platform/controls/TreeView.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/runtime/Variant.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QFileInfo>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>

namespace
{
constexpr int LinkPage = 1;
constexpr int ShortestTimeout = 500;
constexpr int LongestTimeout = 2000;

const QString OwnSection = QStringLiteral("Orrindale");

// A time-out edited by hand into the registry or a shortcut file may lie outside what the
// sliders show; it is shown, and saved again, as the nearest end of their range.
int SliderTimeout(int milliseconds)
{
    return std::clamp(milliseconds, ShortestTimeout, LongestTimeout);
}

// The text as a whole number, or `fallback` when it is none (empty, letters, too large).
int NumberOr(const QString& text, int fallback)
{
    try {
        return runtime::ToInteger(runtime::Variant(text.toStdU16String()));
    } catch (const runtime::Error&) {
        return fallback;
    }
}

// Installs or removes one extension; a failure is logged and the switch keeps what the user chose.
bool ChangeExtension(bool (*change)(bool), bool enable)
{
    try {
        return change(enable);
    } catch (const runtime::Error& error) {
        LogError(error);
        return enable;
    }
}
} // namespace

frmOptions::frmOptions(TreeView& tree, OptionsMode mode, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmOptions>()), Mode(mode)
{
    ui->setupUi(this);
    connect(ui->btnButtons_0, &QPushButton::clicked, this, [this] { btnButtons_Click(0); });
    connect(ui->btnButtons_1, &QPushButton::clicked, this, [this] { btnButtons_Click(1); });
    connect(ui->btnButtons_2, &QPushButton::clicked, this, [this] { btnButtons_Click(2); });
    Form_Load();

    // Properties of anything but a favorite (the root, a folder) have no page to show.
    TreeNode* node = tree.SelectedItem();
    if (Mode == OptionsMode::Properties && node && !IsFolderNode(node) && node->Parent()) {
        Link = NodeRef(node);
        ui->PrefTab->setCurrentIndex(LinkPage);
    } else {
        Mode = OptionsMode::Options;
        ui->PrefTab->setTabEnabled(LinkPage, false);
        ui->PrefTab->setCurrentIndex(0);
    }
}

frmOptions::~frmOptions() = default;

QTabWidget* frmOptions::PrefTab() const
{
    return ui->PrefTab;
}

QSlider* frmOptions::TimeoutSlider(int index) const
{
    return index == 0 ? ui->TimeoutSlider_0 : index == 1 ? ui->TimeoutSlider_1 : nullptr;
}

QCheckBox* frmOptions::chkNameChange(int index) const
{
    return index == 0 ? ui->chkNameChange_0 : index == 1 ? ui->chkNameChange_1 : nullptr;
}

QCheckBox* frmOptions::chkAddToIE() const
{
    return ui->chkAddToIE;
}

QCheckBox* frmOptions::chkAddToToolbar() const
{
    return ui->chkAddToToolbar;
}

QLineEdit* frmOptions::txtLink() const
{
    return ui->txtLink;
}

QLineEdit* frmOptions::txtURL() const
{
    return ui->txtURL;
}

QPushButton* frmOptions::btnButtons(int index) const
{
    switch (index) {
    case 0:
        return ui->btnButtons_0;
    case 1:
        return ui->btnButtons_1;
    case 2:
        return ui->btnButtons_2;
    default:
        return nullptr;
    }
}

void frmOptions::Form_Load()
{
    ui->TimeoutSlider_0->setValue(SliderTimeout(AppSettings.Timeout));
    ui->chkNameChange_0->setChecked(AppSettings.ChangeName);

    QString version = QStringLiteral("0");
    try {
        version = BrowserVersion();
    } catch (const runtime::Error& error) {
        LogError(error);
    }
    const bool offered = BrowserTakesExtensions(version);
    ui->chkAddToIE->setEnabled(offered);
    ui->chkAddToToolbar->setEnabled(offered);

    ui->chkAddToIE->setChecked(AppSettings.IEToolMenu);
    ui->chkAddToToolbar->setChecked(AppSettings.IEToolbar);
    InitialToolMenu = AppSettings.IEToolMenu;
    InitialToolbar = AppSettings.IEToolbar;
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Filled once: later activations (after another window had the focus) keep what the user
    // has typed so far.
    if (!LinkPageFilled && LinkPageAvailable() && ui->PrefTab->currentIndex() == LinkPage) {
        LinkPageFilled = true;
        Form_Activate();
    }
}

bool frmOptions::LinkPageAvailable() const
{
    return Mode == OptionsMode::Properties;
}

void frmOptions::Form_Activate()
{
    const TreeNode* node = Link.get();
    if (!node)
        return;
    ui->txtLink->setText(node->Text());
    LinkFile = LinkFilePath(node);

    const QString timeout = ReadProfileString(OwnSection, QStringLiteral("Timeout"),
                                              QString::number(ui->TimeoutSlider_0->value()), 5, LinkFile);
    const QString globalRename = ui->chkNameChange_0->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    const QString rename = ReadProfileString(OwnSection, QStringLiteral("Rename"), globalRename, 2, LinkFile);
    const QString url = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), LinkFile);

    // A value that is no number ("-1", the shortcut reader's "use the global setting", reads
    // here as "-") shows the global value, which is what the check runs use for it too.
    ui->TimeoutSlider_1->setValue(SliderTimeout(NumberOr(timeout, ui->TimeoutSlider_0->value())));
    ui->chkNameChange_1->setChecked(NumberOr(rename, ui->chkNameChange_0->isChecked() ? 1 : 0) != 0);
    ui->txtURL->setText(url);
    LoadedUrl = url;
}

void frmOptions::btnButtons_Click(int16_t index)
{
    switch (index) {
    case 0:
        ApplyAndClose();
        break;
    case 1:
        reject();
        break;
    case 2:
        UseDefaultsAndClose();
        break;
    default:
        break;
    }
}

void frmOptions::ApplyAndClose()
{
    AppSettings.Timeout = static_cast<int16_t>(ui->TimeoutSlider_0->value());
    AppSettings.ChangeName = ui->chkNameChange_0->isChecked();
    AppSettings.IEToolMenu = ui->chkAddToIE->isChecked();
    AppSettings.IEToolbar = ui->chkAddToToolbar->isChecked();
    // An install that could not be made leaves its switch off, so the next OK tries again.
    if (AppSettings.IEToolMenu != InitialToolMenu)
        AppSettings.IEToolMenu = ChangeExtension(SetToolsMenuEntry, AppSettings.IEToolMenu);
    if (AppSettings.IEToolbar != InitialToolbar)
        AppSettings.IEToolbar = ChangeExtension(SetToolbarButton, AppSettings.IEToolbar);
    if (LinkPageAvailable())
        SaveLinkProperties();
    accept();
}

void frmOptions::UseDefaultsAndClose()
{
    const QString file = CurrentLinkFile();
    if (!file.isEmpty())
        WriteProfileString(OwnSection, QString(), QString(), file);
    ui->TimeoutSlider_1->setValue(ui->TimeoutSlider_0->value());
    ui->chkNameChange_1->setChecked(ui->chkNameChange_0->isChecked());
    accept();
}

QString frmOptions::CurrentLinkFile() const
{
    // The page was filled from the favorite as it was; a check may have renamed it since, or
    // it may be gone. Writing goes to its file as it is named now, and never makes a new one.
    if (LinkFile.isEmpty() || !Link)
        return QString();
    const QString file = LinkFilePath(Link.get());
    return QFileInfo(file).isFile() ? file : QString();
}

void frmOptions::SaveLinkProperties()
{
    const QString file = CurrentLinkFile();
    if (file.isEmpty())
        return;
    const QString rename = ui->chkNameChange_1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    WriteProfileString(OwnSection, QStringLiteral("Timeout"), QString::number(ui->TimeoutSlider_1->value()), file);
    WriteProfileString(OwnSection, QStringLiteral("Rename"), rename, file);
    // Blanks around the address are no change worth a write.
    const QString url = AddressToStore(ui->txtURL->text());
    if (url != LoadedUrl)
        WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), url, file);
}
