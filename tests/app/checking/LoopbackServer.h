#pragma once
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class LoopbackServer;

// Counts the connections open at once, across the servers that share it.
struct ConnectionGauge
{
    std::atomic<int> Now{0};
    std::atomic<int> Most{0};
    void Opened();
    void Closed() { --Now; }
};

// One accepted connection, as the server's script sees it. Every wait is cut into short
// slices so that the server can stop at any time.
class ServerConnection
{
public:
    ServerConnection(LoopbackServer& server, int socket);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    uint16_t Port() const;

    // Reads the request up to its empty line, or what came before the client stopped sending
    // or the wait ran out; the server records it.
    std::string ReadRequest(std::chrono::milliseconds wait = std::chrono::milliseconds(3000));
    // Sends every byte; false once the client has gone or the server stops.
    bool Send(std::string_view bytes);
    // Sleeps, cut short when the server stops.
    void Pause(std::chrono::milliseconds duration);
    // Reads and drops whatever comes until the client closes or the server stops.
    void WaitForClientClose();
    // Ends the connection in order (FIN), or at once with a reset (RST).
    void Close();
    void Reset();

private:
    // Tells the server's gauges the connection has ended, once: before its last bytes are
    // acknowledged, so that a client starting its next connection is never counted twice.
    void Ended();

    LoopbackServer& server_;
    int socket_;
    bool counted_ = true;
};

// A TCP server on 127.0.0.1 and a port of the system's choosing, run by a thread of its own.
// It accepts one connection at a time and hands each to the script.
class LoopbackServer
{
public:
    using Script = std::function<void(ServerConnection&)>;

    // Where and how the server listens: on another loopback address (127.0.0.x), and with
    // every connection served at once by a thread of its own.
    struct Options
    {
        std::string Address = "127.0.0.1";
        bool Concurrent = false;
        std::vector<ConnectionGauge*> Gauges; // told of every connection opened and closed
    };

    explicit LoopbackServer(Script script);
    LoopbackServer(Script script, Options options);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return port_; }
    // "http://<address>:<port>" followed by path.
    QString Url(const QString& path = QStringLiteral("/")) const;
    // The requests read so far, in order.
    std::vector<std::string> Requests() const;
    int Connections() const { return connections_; }
    bool Stopping() const { return stopping_; }

    // A loopback port nothing listens on: a connection to it is refused.
    static uint16_t ClosedPort();

    // The path of a request's first line ("GET /x HTTP/1.1" gives "/x").
    static std::string RequestPath(const std::string& request);

private:
    friend class ServerConnection;
    void Run();
    void Record(std::string request);

    void Serve(int socket);

    Script script_;
    Options options_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::atomic<int> serving_{0}; // connections served by threads of their own, not ended yet
    std::thread thread_;
};

// Common replies.
std::string HttpReply(const std::string& statusLine, const std::string& headers = {}, const std::string& body = {});
