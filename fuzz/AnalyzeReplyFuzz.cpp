// Feeds arbitrary replies and probed addresses to the reply analysis. The first byte gives
// the length of the address; the rest is the reply. Both reach the analysis as they would
// from a socket and a shortcut file: one code-page character per byte. The reply is also
// sent as the body of a page, whole and in chunks.
#include "app/checking/ReplyAnalysis.h"
#include "app/checking/ReplyBody.h"
#include "app/checking/ReplyText.h"
#include "fuzz/ChunkedBody.h"
#include "platform/win32/AnsiCodePage.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace
{
QString FromBytes(std::string_view bytes)
{
    return QString::fromStdU16String(win32::AnsiToUnicode(bytes));
}

bool IsRedirect(int16_t code)
{
    return code == 300 || code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t urlLength = std::min<size_t>(data[0] % 64, size - 1);
    const QString url = FromBytes(bytes.substr(1, urlLength));
    const QString reply = FromBytes(bytes.substr(1 + urlLength));

    const int16_t code = ParseStatusCode(reply);
    const QString target = AnalyzeReply(reply, url);

    // Whatever the reply, a target never carries a control character into a shortcut file,
    // and a refresh target is text of the reply itself, once out of its chunks.
    if (ContainsControlCharacter(target))
        __builtin_trap();
    if (!IsRedirect(code) && !target.isEmpty() && !DechunkReply(reply).contains(target))
        __builtin_trap();
    if (reply.size() < 10 && code != 0)
        __builtin_trap();

    const std::string_view body = bytes.substr(1 + urlLength);
    const std::string head = "HTTP/1.1 200 OK\r\n";
    const QString whole = FromBytes(head + "\r\n" + std::string(body));
    const QString chunked = FromBytes(head + "Transfer-Encoding: chunked\r\n\r\n" + ChunkedBody(body, data[0]));
    if (AnalyzeReply(whole, url) != AnalyzeReply(chunked, url))
        __builtin_trap();
    return 0;
}
