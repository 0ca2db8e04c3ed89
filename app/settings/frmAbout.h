#pragma once
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui
{
class frmAbout;
}
class QLabel;
class QPushButton;

// The about box: the program's name and version, its icon, a notice and the vendor's web
// site, which opens in the browser when clicked. Open it with exec().
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    QLabel* lblTitle() const;
    QLabel* txtURL() const;
    QPushButton* btnOk() const;

    // Asks the desktop to open the vendor's web site.
    void txtURL_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();

    std::unique_ptr<Ui::frmAbout> ui;
};
