#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QSslCertificate;
class QSslSocket;
class QTimer;

// Probing one link: a single HTTP/1.1 GET over a TCP connection (TLS for an https address),
// the reply collected within the link's time-out, its status, redirect target and page title
// taken from it.

// What probing one URL gave.
struct ProbeResult
{
    int16_t Status = -1; // the reply's status number; -1 when there was no usable reply
    QString Title;       // the page title, for status 200 only
    QString RedirectUrl; // where the reply says to go instead; empty when it says nothing
    qint64 Milliseconds = 0; // how long the probe took
};

// Where a URL sends the probe.
struct ProbeTarget
{
    QString Host;     // the text between "//" and the first "/", the port cut out
    QString Port;     // as written in the URL; "80" when none is, "443" for https
    QString Path;     // from the first "/" after the host to the end, query and fragment included
    bool Tls = false; // the scheme is https, in any letter case
};

// The most of a reply that is kept, in bytes; the rest is read and dropped.
constexpr qsizetype ReplyLimit = 1024 * 1024;

// Splits a URL the way the probe reads it: the text after the first "//"; its first ":" is
// the port separator wherever it stands, the port running to the next "/"; a "/" is added
// when there is no path. Only https is told from the rest. Nothing when the URL has no "//"
// or a position in it does not fit 16 bits.
std::optional<ProbeTarget> SplitProbeUrl(const QString& url);

// The port as a number the socket can connect to, or nothing.
std::optional<uint16_t> ProbePort(const QString& port);

// The request the probe sends, in the ANSI code page: request line, Host (never with a
// port), Accept, Connection: close and the empty line, each ended by CR LF.
QByteArray ProbeRequest(const QString& host, const QString& path);

// The time-out a probe waits: the link's own, else the global setting, else one second.
int ProbeTimeout(int16_t linkTimeout);

// Certificate authorities an https probe trusts besides the system's: those of the PEM file
// named by SSL_CERT_FILE, and those a test hands in here.
void TrustProbeCertificates(const QList<QSslCertificate>& authorities);

// One probe at a time: its connection, its time-out and what it has received. It runs as
// events are dispatched and says when it has ended; several can run side by side.
class HttpProbe : public QObject
{
    Q_OBJECT
public:
    explicit HttpProbe(QObject* parent = nullptr);
    ~HttpProbe() override;

    // Starts requesting url, waiting at most the link's time-out. True when the probe is under
    // way and Finished will follow; false when it ended at once (an address it cannot use),
    // its result already in Result(). Refused (false, no result) while a probe is under way.
    bool Start(const QString& url, int16_t linkTimeout);
    // Ends the probe under way at once, without a result and without Finished.
    void Abort();
    // A probe is under way.
    bool Waiting() const { return Waiting_; }
    // What the probe that ended last gave.
    const ProbeResult& Result() const { return Result_; }
    // Which probe this object runs or ran last: a new number for every start.
    quint64 Serial() const { return Serial_; }

    // The state of the probe under way, shared by its handlers.
    QString ProbeHost;          // host of the URL being probed, without its port
    QString ProbePath;          // request path: from the first "/" after the host to the end
    QString ReplyText;          // what the server has sent so far, one character per byte
    bool ReplyDone = false;     // the server closed the connection
    bool ReplyTimedOut = false; // the link's time-out elapsed

    QSslSocket* wsHttp = nullptr; // the connection, plain or TLS
    QTimer* XMLTimer = nullptr;   // the time-out, running only while a probe is under way

signals:
    // The probe has ended, by the server's close, the time-out or a failure.
    void Finished();

private:
    void wsHttp_Connect();
    void wsHttp_DataArrival();
    void wsHttp_Close();
    void XMLTimer_Timer();
    // Analyses what arrived and reports the end.
    void End();

    QString Url_;
    ProbeResult Result_;
    QElapsedTimer Elapsed_;
    quint64 Serial_ = 0;
    bool Waiting_ = false;
};

// Requests url on `probe` and waits, dispatching events, until the server closes the
// connection or the link's time-out elapses. Never raises and never shows anything: every
// failure is status -1. While the probe waits for another request, this one is refused with
// -1 and leaves the waiting one alone.
ProbeResult ProbeUrl(HttpProbe& probe, const QString& url, int16_t linkTimeout);
