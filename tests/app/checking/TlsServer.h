#pragma once
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QSslServer;

// A TLS server on 127.0.0.1 and a port of the system's choosing, run by a thread of its own,
// with a certificate from tests/app/checking/tls. It answers each request with what `reply`
// makes of it, or, given no reply, completes the handshake and says nothing.
class TlsServer
{
public:
    using Reply = std::function<std::string(const std::string& request)>;

    TlsServer(const QString& certificateFile, Reply reply);
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    uint16_t Port() const { return port_; }
    // "https://127.0.0.1:<port>" followed by path.
    QString Url(const QString& path = QStringLiteral("/")) const;
    // The requests read inside TLS so far, in order.
    std::vector<std::string> Requests() const;

    // The test authority's certificate file, and the folder of all the test certificates.
    static QString CertificateFolder();

private:
    friend class TlsServerWorker;
    void Record(std::string request);

    QThread thread_;
    uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};
