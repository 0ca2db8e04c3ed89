#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

class frmMain;

// Probing one link: a single HTTP/1.1 GET over a plain TCP connection, the reply collected
// within the link's time-out, its status, redirect target and page title taken from it.

// What probing one URL gave.
struct ProbeResult
{
    int16_t Status = -1; // the reply's status number; -1 when there was no usable reply
    QString Title;       // the page title, for status 200 only
    QString RedirectUrl; // where the reply says to go instead; empty when it says nothing
};

// Where a URL sends the probe.
struct ProbeTarget
{
    QString Host; // the text between "//" and the first "/", the port cut out
    QString Port; // as written in the URL; "80" when none is
    QString Path; // from the first "/" after the host to the end, query and fragment included
};

// The most of a reply that is kept, in bytes; the rest is read and dropped.
constexpr qsizetype ReplyLimit = 1024 * 1024;

// Splits a URL the way the probe reads it: the text after the first "//"; its first ":" is
// the port separator wherever it stands, the port running to the next "/"; a "/" is added
// when there is no path. The scheme is not looked at. Nothing when the URL has no "//" or a
// position in it does not fit 16 bits.
std::optional<ProbeTarget> SplitProbeUrl(const QString& url);

// The port as a number the socket can connect to, or nothing.
std::optional<uint16_t> ProbePort(const QString& port);

// The request the probe sends, in the ANSI code page: request line, Host (never with a
// port), Accept, Connection: close and the empty line, each ended by CR LF.
QByteArray ProbeRequest(const QString& host, const QString& path);

// The time-out a probe waits: the link's own, else the global setting, else one second.
int ProbeTimeout(int16_t linkTimeout);

// Requests url and waits, dispatching events, until the server closes the connection or
// Main.LinkTimeout elapses. Never raises and never shows anything: every failure is status
// -1. While one probe waits another is refused with -1 and leaves the waiting one alone.
ProbeResult ProbeUrl(frmMain& Main, const QString& url);

// The socket's and the timer's notifications, wired by the main window.
void wsHttp_Connect(frmMain& Main);
void wsHttp_DataArrival(frmMain& Main, int64_t bytesTotal);
void wsHttp_Close(frmMain& Main);
void XMLTimer_Timer(frmMain& Main);
