// Feeds arbitrary replies to the title extraction, read one code-page character per byte as
// from the socket, and holds the numeric-reference decoder against the step-by-step loop
// wherever that loop comes to an end. The same input, after a first byte that chooses a
// charset and the chunk sizes, is also sent as a body, whole and in chunks.
#include "app/checking/PageTitle.h"
#include "app/checking/ReplyText.h"
#include "fuzz/ChunkedBody.h"
#include "platform/win32/AnsiCodePage.h"
#include "tests/app/checking/StepByStepDecode.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace
{
QString FromBytes(std::string_view bytes)
{
    return QString::fromStdU16String(win32::AnsiToUnicode(bytes));
}

// The title a body of plain ASCII without references must give in every charset: the text
// between the markers, spaces trimmed. Empty when the body's title is not such text.
std::string AsciiTitle(const QString& body)
{
    const qsizetype open = IndexOfCaseless(body, "<TITLE>"_L1);
    const qsizetype close = open < 0 ? -1 : IndexOfCaseless(body, "</TITLE>"_L1, open + 7);
    if (close < 0)
        return {};
    const QStringView text = QStringView(body).sliced(open + 7, close - open - 7);
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c < u'\x7F' && c != u'&'; }))
        return {};
    return text.trimmed().toString().toStdString();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QString reply = FromBytes(bytes);

    const QString title = ExtractTitle(reply);
    if (ContainsControlCharacter(title))
        __builtin_trap();
    if (!title.isEmpty() && IndexOfCaseless(reply, "<TITLE>"_L1) < 0)
        __builtin_trap();

    // The whole input taken as a title, for the decoder alone.
    const QString decoded = DecodeNumericReferences(reply);
    if (const auto expected = DecodeStepByStep(reply, 2000); expected && *expected != decoded)
        __builtin_trap();

    if (size == 0)
        return 0;
    static constexpr const char* Charsets[] = {"",        "utf-8",  "windows-1252", "Shift_JIS", "koi8-r",
                                               "gb18030", "utf-16", "iso-2022-jp",  "utf-7",     "x-unknown",
                                               "EUC-KR",  "big5",   "iso-8859-1"};
    const uint8_t seed = data[0];
    const std::string_view body = bytes.substr(1);
    const std::string head =
        std::string("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=") + Charsets[seed % std::size(Charsets)];
    const QString whole = FromBytes(head + "\r\n\r\n" + std::string(body));
    const std::string chunked = head + "\r\nTransfer-Encoding: chunked\r\n\r\n" + ChunkedBody(body, seed);
    const QString wholeTitle = ExtractTitle(whole);
    if (ExtractTitle(FromBytes(chunked)) != wholeTitle || ContainsControlCharacter(wholeTitle))
        __builtin_trap();
    if (const std::string ascii = AsciiTitle(FromBytes(body)); !ascii.empty() && wholeTitle.toStdString() != ascii)
        __builtin_trap();
    // Cut short anywhere, as by the time-out, a chunked reply still gives one line.
    const QString cut = FromBytes(std::string_view(chunked).substr(0, chunked.size() * ((seed ^ size) % 256) / 256));
    if (ContainsControlCharacter(ExtractTitle(cut)))
        __builtin_trap();
    return 0;
}
