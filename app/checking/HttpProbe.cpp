#include "app/checking/HttpProbe.h"

#include "app/checking/DecimalNumber.h"
#include "app/checking/PageTitle.h"
#include "app/checking/ReplyAnalysis.h"
#include "app/checking/ReplyText.h"
#include "app/settings/AppSettings.h"
#include "platform/desktop/EventPump.h"
#include "platform/runtime/CheckedInt.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/AnsiCodePage.h"

#include <QNetworkProxy>
#include <QSignalBlocker>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>
#include <array>

namespace
{
// The socket holds at most this much unread, so a server sending without pause cannot make
// it buffer more than that between two reads.
constexpr qint64 SocketBufferSize = 64 * 1024;
constexpr int DefaultTimeout = 1000;

// Closes any connection without delivering its last notifications: they belong to a probe
// that has ended, and must not be taken for the next one's.
void CloseSocket(QSslSocket& socket)
{
    const QSignalBlocker blocker(&socket);
    socket.abort();
}

// Every probe is a fresh, direct TCP connection from a free local port.
void PrepareSocket(QSslSocket& socket)
{
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.setReadBufferSize(SocketBufferSize);
}

// What an https probe trusts: the system's certificate authorities, and those named by
// SSL_CERT_FILE or handed in by a test. Built once; rebuilt when more are handed in.
struct ProbeTrust
{
    QList<QSslCertificate> Extra;
    std::optional<QSslConfiguration> Configuration;
};

ProbeTrust& Trust()
{
    static ProbeTrust trust;
    return trust;
}

const QSslConfiguration& TlsConfiguration()
{
    ProbeTrust& trust = Trust();
    if (!trust.Configuration) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        QList<QSslCertificate> extra = trust.Extra;
        const QString file = qEnvironmentVariable("SSL_CERT_FILE");
        if (!file.isEmpty())
            extra += QSslCertificate::fromPath(file, QSsl::Pem);
        // Naming the list turns off the system's own lookup, so the system's are named too.
        if (!extra.isEmpty())
            configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
        configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
        trust.Configuration = configuration;
    }
    return *trust.Configuration;
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
        target.Tls = StartsWithCaseless(url, QLatin1StringView("https:"));
        target.Port = target.Tls ? QStringLiteral("443") : QStringLiteral("80");
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

void TrustProbeCertificates(const QList<QSslCertificate>& authorities)
{
    Trust().Extra += authorities;
    Trust().Configuration.reset();
}

HttpProbe::HttpProbe(QObject* parent) : QObject(parent)
{
    wsHttp = new QSslSocket(this);
    wsHttp->setObjectName(QStringLiteral("wsHttp"));
    // A precise timer, so a probe ends within a few milliseconds of the link's time-out.
    XMLTimer = new QTimer(this);
    XMLTimer->setObjectName(QStringLiteral("XMLTimer"));
    XMLTimer->setTimerType(Qt::PreciseTimer);
    // A TLS connection is ready for the request once the handshake is done, not when the
    // TCP connection stands.
    connect(wsHttp, &QSslSocket::connected, this, [this] {
        if (!wsHttp->isEncrypted() && wsHttp->mode() == QSslSocket::UnencryptedMode)
            wsHttp_Connect();
    });
    connect(wsHttp, &QSslSocket::encrypted, this, [this] { wsHttp_Connect(); });
    connect(wsHttp, &QSslSocket::readyRead, this, [this] { wsHttp_DataArrival(); });
    connect(wsHttp, &QSslSocket::disconnected, this, [this] { wsHttp_Close(); });
    connect(XMLTimer, &QTimer::timeout, this, [this] { XMLTimer_Timer(); });
}

HttpProbe::~HttpProbe()
{
    CloseSocket(*wsHttp);
}

bool HttpProbe::Start(const QString& url, int16_t linkTimeout)
{
    // The state is single: a second probe would reset it under the one under way.
    if (Waiting_)
        return false;
    ++Serial_;
    Url_ = url;
    Result_ = ProbeResult{};
    Elapsed_.start();
    try {
        const std::optional<ProbeTarget> target = SplitProbeUrl(url);
        if (!target)
            throw runtime::Error(runtime::InvalidProcedureCall);
        ProbeHost = target->Host;
        ProbePath = target->Path;
        ReplyText.clear();
        ReplyDone = false;
        ReplyTimedOut = false;
        CloseSocket(*wsHttp);
        PrepareSocket(*wsHttp);

        // What the socket cannot connect to fails here, at once; a control character would
        // add lines of its own to the request.
        const std::optional<uint16_t> port = ProbePort(target->Port);
        if (!port || ProbeHost.isEmpty() || ContainsControlCharacter(url))
            throw runtime::Error(runtime::InvalidProcedureCall);

        // The trusted authorities are read once, on the first https probe: that is the
        // program's own work, not the server's, and does not count against the time-out.
        if (target->Tls)
            wsHttp->setSslConfiguration(TlsConfiguration());
        XMLTimer->setInterval(ProbeTimeout(linkTimeout));
        XMLTimer->start();
        Waiting_ = true;
        if (target->Tls) {
            wsHttp->connectToHostEncrypted(ProbeHost, *port);
        } else {
            wsHttp->connectToHost(ProbeHost, *port);
        }
        return true;
    } catch (const runtime::Error&) {
        XMLTimer->stop();
        Waiting_ = false;
        return false;
    }
}

void HttpProbe::Abort()
{
    XMLTimer->stop();
    CloseSocket(*wsHttp);
    Waiting_ = false;
}

void HttpProbe::End()
{
    XMLTimer->stop();
    CloseSocket(*wsHttp);
    Waiting_ = false;
    try {
        // Nothing at all, whether the server closed at once or never answered.
        if (!ReplyText.isEmpty()) {
            Result_.Status = ReplyStatus(ReplyText);
            Result_.RedirectUrl = AnalyzeReply(ReplyText, Url_);
            if (Result_.Status == 200)
                Result_.Title = ExtractTitle(ReplyText);
        }
    } catch (const runtime::Error&) {
        // The redirect target stays as far as it was found.
        Result_.Status = -1;
        Result_.Title.clear();
    }
    Result_.Milliseconds = Elapsed_.elapsed();
    emit Finished();
}

void HttpProbe::wsHttp_Connect()
{
    // A connection dropped before this send fails the write; the probe then ends by the
    // close or the time-out with whatever arrived.
    wsHttp->write(ProbeRequest(ProbeHost, ProbePath));
}

void HttpProbe::wsHttp_DataArrival()
{
    std::array<char, 16 * 1024> chunk;
    // Only what is there now: a server sending without pause must not keep the handler
    // from returning to the wait, which looks at the time-out.
    qint64 pending = wsHttp->bytesAvailable();
    while (pending > 0) {
        const qint64 count = wsHttp->read(chunk.data(), std::min<qint64>(pending, static_cast<qint64>(chunk.size())));
        if (count <= 0)
            break;
        pending -= count;
        const qsizetype room = ReplyLimit - ReplyText.size();
        if (room > 0)
            AppendAnsi(ReplyText, chunk.data(), std::min<qsizetype>(room, count));
    }
}

void HttpProbe::wsHttp_Close()
{
    if (!Waiting_)
        return;
    // Bytes that came with the close are part of the reply.
    wsHttp_DataArrival();
    if (!ReplyDone)
        ReplyDone = true;
    End();
}

void HttpProbe::XMLTimer_Timer()
{
    if (!Waiting_)
        return;
    ReplyTimedOut = true;
    End();
}

ProbeResult ProbeUrl(HttpProbe& probe, const QString& url, int16_t linkTimeout)
{
    if (probe.Waiting())
        return ProbeResult{};
    // The result is taken the moment this probe ends: the events dispatched after it may
    // start the next probe on the same object, whose result would be read in its place.
    ProbeResult result;
    bool ended = false;
    const quint64 serial = probe.Serial() + 1;
    const QMetaObject::Connection taken = QObject::connect(&probe, &HttpProbe::Finished, &probe, [&] {
        if (!ended && probe.Serial() == serial) {
            result = probe.Result();
            ended = true;
        }
    });
    if (!probe.Start(url, linkTimeout)) {
        QObject::disconnect(taken);
        return probe.Result();
    }
    while (!ended && probe.Waiting() && probe.Serial() == serial)
        desktop::WaitForEvents();
    QObject::disconnect(taken);
    return result;
}
