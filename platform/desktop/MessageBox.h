#pragma once
#include <QList>
#include <QString>

namespace desktop
{

// Button sets, icons and default buttons of a message box style, added together.
enum MsgBoxStyle : int
{
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button a message box was closed with.
enum MsgBoxResult : int
{
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Shows a modal message box and waits until it is closed; returns the button pressed.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());

// The answer a box of this style gives when its default button is pressed.
int DefaultAnswer(int style);

// Test seam: while intercepted, no box is shown; each call is recorded and answered from
// the queue, or with the box's default button when the queue is empty.
struct ShownMessage
{
    QString Prompt;
    int Style = 0;
    QString Title;
};

void InterceptMessageBoxes(bool on);
void SetNextAnswer(int answer);
const QList<ShownMessage>& ShownMessages();
void ClearShownMessages();

} // namespace desktop
