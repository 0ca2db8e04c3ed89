// Feeds arbitrary replies to the title extraction, read one code-page character per byte as
// from the socket, and holds the numeric-reference decoder against the step-by-step loop
// wherever that loop comes to an end.
#include "app/checking/PageTitle.h"
#include "app/checking/ReplyText.h"
#include "platform/win32/AnsiCodePage.h"
#include "tests/app/checking/StepByStepDecode.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QString reply = QString::fromStdU16String(win32::AnsiToUnicode(bytes));

    const QString title = ExtractTitle(reply);
    if (ContainsControlCharacter(title))
        __builtin_trap();
    if (!title.isEmpty() && IndexOfCaseless(reply, "<TITLE>"_L1) < 0)
        __builtin_trap();

    // The whole input taken as a title, for the decoder alone.
    const QString decoded = DecodeNumericReferences(reply);
    if (const auto expected = DecodeStepByStep(reply, 2000); expected && *expected != decoded)
        __builtin_trap();
    return 0;
}
