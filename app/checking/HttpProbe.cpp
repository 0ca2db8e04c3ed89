#include "app/checking/HttpProbe.h"

#include "app/checking/DecimalNumber.h"
#include "app/checking/PageTitle.h"
#include "app/checking/ReplyAnalysis.h"
#include "app/checking/ReplyText.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/desktop/EventPump.h"
#include "platform/runtime/CheckedInt.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/AnsiCodePage.h"

#include <QNetworkProxy>
#include <QSignalBlocker>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <array>

namespace
{
// The socket holds at most this much unread, so a server sending without pause cannot make
// it buffer more than that between two reads.
constexpr qint64 SocketBufferSize = 64 * 1024;
constexpr int DefaultTimeout = 1000;

// Keeps the probe marked as waiting for as long as its wait lasts, however the wait ends.
class WaitingMark
{
public:
    explicit WaitingMark(ProbeState& probe) : probe_(probe) { probe_.Waiting = true; }
    ~WaitingMark() { probe_.Waiting = false; }
    WaitingMark(const WaitingMark&) = delete;
    WaitingMark& operator=(const WaitingMark&) = delete;

private:
    ProbeState& probe_;
};

// Closes any connection without delivering its last notifications: they belong to a probe
// that has ended, and must not be taken for the next one's.
void CloseSocket(QTcpSocket& socket)
{
    const QSignalBlocker blocker(&socket);
    socket.abort();
}

// Every probe is a fresh, direct TCP connection from a free local port.
void PrepareSocket(QTcpSocket& socket)
{
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.setReadBufferSize(SocketBufferSize);
}

// Characters 10 to 12 of the reply as a number; raises when they are missing or no number.
int16_t ReplyStatus(const QString& reply)
{
    if (reply.size() < 10)
        throw runtime::Error(runtime::TypeMismatch);
    const QStringView digits = QStringView(reply).sliced(9, std::min<qsizetype>(3, reply.size() - 9));
    const std::optional<DecimalNumber> number = ParseDecimalNumber(digits);
    if (!number)
        throw runtime::Error(runtime::TypeMismatch);
    if (number->Saturated)
        throw runtime::Error(runtime::Overflow);
    return runtime::CheckedInt16(number->Rounded);
}

void AppendAnsi(QString& text, const char* bytes, qsizetype count)
{
    std::array<QChar, 4096> characters;
    while (count > 0) {
        const qsizetype part = std::min<qsizetype>(count, static_cast<qsizetype>(characters.size()));
        for (qsizetype i = 0; i < part; ++i)
            characters[static_cast<size_t>(i)] = QChar(win32::AnsiToChar(static_cast<unsigned char>(bytes[i])));
        text.append(characters.data(), part);
        bytes += part;
        count -= part;
    }
}
} // namespace

std::optional<ProbeTarget> SplitProbeUrl(const QString& url)
{
    try {
        const qsizetype slashes = url.indexOf(QStringLiteral("//"));
        if (slashes < 0)
            return std::nullopt;
        runtime::CheckedInt16(slashes + 1);
        QString s = url.mid(slashes + 2);

        ProbeTarget target;
        target.Port = QStringLiteral("80");
        const qsizetype colon = s.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            runtime::CheckedInt16(colon + 1);
            const qsizetype slash = s.indexOf(QLatin1Char('/'), colon + 1);
            if (slash >= 0) {
                runtime::CheckedInt16(slash + 1);
                target.Port = s.mid(colon + 1, slash - colon - 1);
                s = s.left(colon) + s.mid(slash);
            } else {
                // A port and no path (http://host:8080): the port runs to the end and the
                // path is the root, as for a URL without port and path.
                target.Port = s.mid(colon + 1);
                s.truncate(colon);
            }
        }

        qsizetype slash = s.indexOf(QLatin1Char('/'));
        if (slash < 0) {
            s += QLatin1Char('/');
            slash = s.size() - 1;
        }
        runtime::CheckedInt16(slash + 1);
        target.Host = s.left(slash);
        target.Path = s.mid(slash);
        return target;
    } catch (const runtime::Error&) {
        return std::nullopt;
    }
}

std::optional<uint16_t> ProbePort(const QString& port)
{
    const QString digits = port.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

QByteArray ProbeRequest(const QString& host, const QString& path)
{
    const QString request = QStringLiteral("GET ") + path + QStringLiteral(" HTTP/1.1\r\n") + QStringLiteral("Host: ") +
                            host + QStringLiteral("\r\n") + QStringLiteral("Accept: */*\r\n") +
                            QStringLiteral("Connection: close\r\n") + QStringLiteral("\r\n");
    const std::string bytes = win32::UnicodeToAnsi(request.toStdU16String());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

int ProbeTimeout(int16_t linkTimeout)
{
    // A time-out of 0 would never tick, and a server that neither answers nor closes would
    // then hold the probe for good.
    if (linkTimeout > 0)
        return linkTimeout;
    if (AppSettings.Timeout > 0)
        return AppSettings.Timeout;
    return DefaultTimeout;
}

ProbeResult ProbeUrl(frmMain& Main, const QString& url)
{
    ProbeResult result;
    ProbeState& probe = Main.Probe;
    // The state is single: a second probe would reset it under the one that waits.
    if (probe.Waiting)
        return result;
    try {
        const std::optional<ProbeTarget> target = SplitProbeUrl(url);
        if (!target)
            throw runtime::Error(runtime::InvalidProcedureCall);
        probe.ProbeHost = target->Host;
        probe.ProbePath = target->Path;
        probe.ReplyText.clear();
        probe.ReplyDone = false;
        probe.ReplyTimedOut = false;
        CloseSocket(*Main.wsHttp);
        PrepareSocket(*Main.wsHttp);

        // What the socket cannot connect to fails here, at once; a control character would
        // add lines of its own to the request.
        const std::optional<uint16_t> port = ProbePort(target->Port);
        if (!port || probe.ProbeHost.isEmpty() || ContainsControlCharacter(url))
            throw runtime::Error(runtime::InvalidProcedureCall);

        Main.XMLTimer->setInterval(ProbeTimeout(Main.LinkTimeout));
        Main.XMLTimer->start();
        {
            const WaitingMark waiting(probe);
            Main.wsHttp->connectToHost(probe.ProbeHost, *port);
            while (!probe.ReplyDone && !probe.ReplyTimedOut)
                desktop::WaitForEvents();
        }
        Main.XMLTimer->stop();
        CloseSocket(*Main.wsHttp);

        // Nothing at all, whether the server closed at once or never answered.
        if (probe.ReplyText.isEmpty())
            return result;
        result.Status = ReplyStatus(probe.ReplyText);
        result.RedirectUrl = AnalyzeReply(probe.ReplyText, url);
        if (result.Status == 200)
            result.Title = ExtractTitle(probe.ReplyText);
        return result;
    } catch (const runtime::Error&) {
        // The redirect target stays as far as it was found; the next probe closes the socket.
        Main.XMLTimer->stop();
        result.Status = -1;
        result.Title.clear();
        return result;
    }
}

void wsHttp_Connect(frmMain& Main)
{
    // A connection dropped before this send fails the write; the probe then ends by the
    // close or the time-out with whatever arrived.
    Main.wsHttp->write(ProbeRequest(Main.Probe.ProbeHost, Main.Probe.ProbePath));
}

void wsHttp_DataArrival(frmMain& Main, int64_t bytesTotal)
{
    Q_UNUSED(bytesTotal);
    QTcpSocket& socket = *Main.wsHttp;
    QString& reply = Main.Probe.ReplyText;
    std::array<char, 16 * 1024> chunk;
    // Only what is there now: a server sending without pause must not keep the handler
    // from returning to the wait, which looks at the time-out.
    qint64 pending = socket.bytesAvailable();
    while (pending > 0) {
        const qint64 count = socket.read(chunk.data(), std::min<qint64>(pending, static_cast<qint64>(chunk.size())));
        if (count <= 0)
            break;
        pending -= count;
        const qsizetype room = ReplyLimit - reply.size();
        if (room > 0)
            AppendAnsi(reply, chunk.data(), std::min<qsizetype>(room, count));
    }
}

void wsHttp_Close(frmMain& Main)
{
    // Bytes that came with the close are part of the reply.
    wsHttp_DataArrival(Main, Main.wsHttp->bytesAvailable());
    if (!Main.Probe.ReplyDone)
        Main.Probe.ReplyDone = true;
}

void XMLTimer_Timer(frmMain& Main)
{
    Main.Probe.ReplyTimedOut = true;
}
