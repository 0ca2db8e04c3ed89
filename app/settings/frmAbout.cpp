#include "app/settings/frmAbout.h"

#include "ui_frmAbout.h"

#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "platform/desktop/Application.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    ui->txtURL->installEventFilter(this);
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    Form_Load();
}

frmAbout::~frmAbout() = default;

QLabel* frmAbout::lblTitle() const
{
    return ui->lblTitle;
}

QLabel* frmAbout::txtURL() const
{
    return ui->txtURL;
}

QPushButton* frmAbout::btnOk() const
{
    return ui->btnOk;
}

void frmAbout::Form_Load()
{
    // The minor number and the revision are written one after the other: 3.0.0 shows as 3.00.
    ui->lblTitle->setText(ui->lblTitle->text() + QStringLiteral(" v") + QString::number(desktop::App::Major()) +
                          QStringLiteral(".") + QString::number(desktop::App::Minor()) +
                          QString::number(desktop::App::Revision()));
    ui->imgIcon->setPixmap(Pictures::Icon(Pictures::CheckAll).pixmap(32, 32));
    ui->txtURL->setText(VendorAddress());
    // Shown as a link, so it reads as something to click.
    QFont font = ui->txtURL->font();
    font.setUnderline(true);
    ui->txtURL->setFont(font);
    QPalette palette = ui->txtURL->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    ui->txtURL->setPalette(palette);
}

void frmAbout::txtURL_Click()
{
    // With its scheme: the desktop's opener would take a bare "www..." for a file name.
    OpenThroughShell(VendorAddress());
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->txtURL) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && ui->txtURL->rect().contains(mouse->position().toPoint())) {
                txtURL_Click();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                txtURL_Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
