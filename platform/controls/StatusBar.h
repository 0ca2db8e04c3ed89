#pragma once
#include <QLabel>
#include <QStatusBar>
#include <QString>
#include <vector>

// A status bar of text panels addressed from 1, the first one stretching.
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr, int panelCount = 2);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    QLabel* Panel(int index) const;

private:
    std::vector<QLabel*> panels_;
};
