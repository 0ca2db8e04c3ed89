#include "platform/desktop/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <utility>
#include <vector>

namespace desktop
{

namespace
{
struct Interception
{
    bool On = false;
    std::deque<int> Answers;
    QList<ShownMessage> Shown;
};

Interception& State()
{
    static Interception state;
    return state;
}

// The buttons of each button set, left to right, as answers.
std::vector<int> ButtonsOf(int style)
{
    switch (style & 0xF) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

size_t DefaultIndex(int style, size_t count)
{
    const size_t wanted = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
    return wanted < count ? wanted : 0;
}

QString ButtonText(int answer)
{
    switch (answer) {
    case vbOK:
        return QStringLiteral("OK");
    case vbCancel:
        return QStringLiteral("Cancel");
    case vbAbort:
        return QStringLiteral("&Abort");
    case vbRetry:
        return QStringLiteral("&Retry");
    case vbIgnore:
        return QStringLiteral("&Ignore");
    case vbYes:
        return QStringLiteral("&Yes");
    default:
        return QStringLiteral("&No");
    }
}

QMessageBox::Icon IconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

int DefaultAnswer(int style)
{
    const auto buttons = ButtonsOf(style);
    return buttons[DefaultIndex(style, buttons.size())];
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    auto& state = State();
    if (state.On) {
        state.Shown.append(ShownMessage{prompt, style, title});
        if (state.Answers.empty())
            return DefaultAnswer(style);
        const int answer = state.Answers.front();
        state.Answers.pop_front();
        return answer;
    }

    QMessageBox box(IconOf(style), title.isEmpty() ? QApplication::applicationName() : title, prompt,
                    QMessageBox::NoButton, QApplication::activeWindow());
    // Prompts carry names, titles and addresses from outside: shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    const auto answers = ButtonsOf(style);
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (int answer : answers) {
        const auto role = answer == vbCancel || answer == vbNo ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        buttons.emplace_back(box.addButton(ButtonText(answer), role), answer);
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons[DefaultIndex(style, buttons.size())].first));
    // Escape closes a box only where it has a Cancel (or a lone OK) button, as users expect.
    for (const auto& [button, answer] : buttons) {
        if (answer == vbCancel || (answers.size() == 1 && answer == vbOK))
            box.setEscapeButton(button);
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button)
            return answer;
    }
    return answers.back() == vbCancel ? vbCancel : DefaultAnswer(style);
}

void InterceptMessageBoxes(bool on)
{
    State().On = on;
    State().Answers.clear();
}

void SetNextAnswer(int answer)
{
    State().Answers.push_back(answer);
}

const QList<ShownMessage>& ShownMessages()
{
    return State().Shown;
}

void ClearShownMessages()
{
    State().Shown.clear();
    State().Answers.clear();
}

} // namespace desktop
