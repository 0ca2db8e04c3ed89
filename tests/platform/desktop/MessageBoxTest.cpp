#include "platform/desktop/MessageBox.h"

#include <gtest/gtest.h>
#include <utility>

using namespace desktop;

TEST(MessageBox, DefaultAnswerFollowsTheStyleTable)
{
    // Without a third button, the first stays the default.
    // clang-format off
    const std::pair<int, int> cases[] = {
        {vbOKOnly, vbOK}, {vbOKOnly + vbExclamation, vbOK}, {vbOKCancel, vbOK},
        {vbOKCancel + vbDefaultButton2, vbCancel}, {vbAbortRetryIgnore + vbDefaultButton3, vbIgnore},
        {vbYesNoCancel + vbQuestion + vbDefaultButton2, vbNo}, {vbYesNo, vbYes}, {vbYesNo + vbDefaultButton3, vbYes},
        {vbRetryCancel + vbDefaultButton2, vbCancel},
    };
    // clang-format on
    for (const auto& [style, answer] : cases)
        EXPECT_EQ(DefaultAnswer(style), answer) << "style " << style;
}

TEST(MessageBox, InterceptedBoxesAreRecordedAndAnsweredInOrder)
{
    ClearShownMessages();
    SetNextAnswer(vbNo);
    SetNextAnswer(vbCancel);

    EXPECT_EQ(MsgBox(QStringLiteral("first?"), vbYesNo, QStringLiteral("One")), vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("second?"), vbOKCancel, QStringLiteral("Two")), vbCancel);
    EXPECT_EQ(MsgBox(QStringLiteral("third"), vbOKOnly + vbExclamation, QStringLiteral("Three")), vbOK);

    ASSERT_EQ(ShownMessages().size(), 3);
    EXPECT_EQ(ShownMessages()[0].Prompt, QStringLiteral("first?"));
    EXPECT_EQ(ShownMessages()[1].Title, QStringLiteral("Two"));
    EXPECT_EQ(ShownMessages()[2].Style, vbOKOnly + vbExclamation);
    ClearShownMessages();
    EXPECT_TRUE(ShownMessages().isEmpty());
}
