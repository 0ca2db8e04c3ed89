#include "tests/app/checking/LoopbackServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int SliceMs = 10;

sockaddr_in LoopbackAddress(uint16_t port, const std::string& host = "127.0.0.1")
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    address.sin_port = htons(port);
    return address;
}

uint16_t BoundPort(int socket)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("getsockname failed");
    return ntohs(address.sin_port);
}

// Waits up to one slice for the socket to become readable or writable.
bool WaitFor(int socket, short events)
{
    pollfd entry{socket, events, 0};
    return poll(&entry, 1, SliceMs) > 0;
}
} // namespace

// ---- ServerConnection -----------------------------------------------------------------------

ServerConnection::ServerConnection(LoopbackServer& server, int socket) : server_(server), socket_(socket) {}

ServerConnection::~ServerConnection()
{
    Close();
}

uint16_t ServerConnection::Port() const
{
    return server_.Port();
}

std::string ServerConnection::ReadRequest(std::chrono::milliseconds wait)
{
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    char buffer[4096];
    while (socket_ >= 0 && !server_.Stopping() && std::chrono::steady_clock::now() < deadline &&
           request.find("\r\n\r\n") == std::string::npos) {
        if (!WaitFor(socket_, POLLIN))
            continue;
        const ssize_t count = recv(socket_, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        request.append(buffer, static_cast<size_t>(count));
    }
    server_.Record(request);
    return request;
}

bool ServerConnection::Send(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (socket_ < 0 || server_.Stopping())
            return false;
        if (!WaitFor(socket_, POLLOUT))
            continue;
        const ssize_t count = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

void ServerConnection::Pause(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (!server_.Stopping() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ServerConnection::WaitForClientClose()
{
    char buffer[4096];
    while (socket_ >= 0 && !server_.Stopping()) {
        if (!WaitFor(socket_, POLLIN))
            continue;
        if (recv(socket_, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

void ServerConnection::Ended()
{
    if (!counted_)
        return;
    counted_ = false;
    for (ConnectionGauge* gauge : server_.options_.Gauges)
        gauge->Closed();
}

void ServerConnection::Close()
{
    Ended();
    if (socket_ < 0)
        return;
    shutdown(socket_, SHUT_WR);
    close(socket_);
    socket_ = -1;
}

void ServerConnection::Reset()
{
    Ended();
    if (socket_ < 0)
        return;
    const linger abortive{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close(socket_);
    socket_ = -1;
}

// ---- LoopbackServer -------------------------------------------------------------------------

void ConnectionGauge::Opened()
{
    const int now = ++Now;
    int most = Most;
    while (now > most && !Most.compare_exchange_weak(most, now)) {
    }
}

LoopbackServer::LoopbackServer(Script script) : LoopbackServer(std::move(script), Options{}) {}

LoopbackServer::LoopbackServer(Script script, Options options) : script_(std::move(script)), options_(std::move(options))
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        throw std::runtime_error("socket failed");
    const sockaddr_in address = LoopbackAddress(0, options_.Address);
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0) {
        close(listener_);
        throw std::runtime_error("cannot listen on " + options_.Address);
    }
    port_ = BoundPort(listener_);
    thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer()
{
    stopping_ = true;
    thread_.join();
    while (serving_ > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    close(listener_);
}

QString LoopbackServer::Url(const QString& path) const
{
    return QStringLiteral("http://") + QString::fromStdString(options_.Address) + QStringLiteral(":") +
           QString::number(port_) + path;
}

std::vector<std::string> LoopbackServer::Requests() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackServer::Record(std::string request)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(request));
}

void LoopbackServer::Run()
{
    while (!stopping_) {
        if (!WaitFor(listener_, POLLIN))
            continue;
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        if (options_.Concurrent) {
            ++serving_;
            std::thread([this, socket] {
                Serve(socket);
                --serving_;
            }).detach();
        } else {
            Serve(socket);
        }
    }
}

void LoopbackServer::Serve(int socket)
{
    for (ConnectionGauge* gauge : options_.Gauges)
        gauge->Opened();
    ++connections_;
    ServerConnection connection(*this, socket);
    if (script_)
        script_(connection);
}

uint16_t LoopbackServer::ClosedPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(0);
    if (probe < 0 || bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind on 127.0.0.1");
    const uint16_t port = BoundPort(probe);
    close(probe);
    return port;
}

std::string LoopbackServer::RequestPath(const std::string& request)
{
    const size_t start = request.find(' ');
    if (start == std::string::npos)
        return {};
    const size_t end = request.find(' ', start + 1);
    return request.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

std::string HttpReply(const std::string& statusLine, const std::string& headers, const std::string& body)
{
    return statusLine + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
