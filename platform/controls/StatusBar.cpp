#include "platform/controls/StatusBar.h"

StatusBar::StatusBar(QWidget* parent, int panelCount) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (int i = 1; i <= panelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        // Panels show folder names and progress texts: never markup.
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(60);
        addPermanentWidget(panel, i == 1 ? 1 : 0);
        panels_.push_back(panel);
    }
}

QLabel* StatusBar::Panel(int index) const
{
    if (index < 1 || index > PanelCount())
        return nullptr;
    return panels_[static_cast<size_t>(index - 1)];
}

QString StatusBar::PanelText(int index) const
{
    const QLabel* panel = Panel(index);
    return panel ? panel->text() : QString();
}

void StatusBar::SetPanelText(int index, const QString& text)
{
    if (QLabel* panel = Panel(index))
        panel->setText(text);
}
