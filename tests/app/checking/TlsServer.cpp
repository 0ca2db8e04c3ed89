#include "tests/app/checking/TlsServer.h"

#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

// Lives in the server's thread: takes connections and answers them there.
class TlsServerWorker : public QObject
{
public:
    TlsServerWorker(TlsServer& owner, const QString& certificateFile, TlsServer::Reply reply)
        : owner_(owner), reply_(std::move(reply)), server_(this)
    {
        QFile file(certificateFile);
        file.open(QIODevice::ReadOnly);
        const QByteArray pem = file.readAll();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(pem, QSsl::Pem));
        configuration.setPrivateKey(QSslKey(pem, QSsl::Ec, QSsl::Pem));
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        server_.setSslConfiguration(configuration);
        connect(&server_, &QSslServer::pendingConnectionAvailable, this, [this] { Accept(); });
    }

    uint16_t Listen()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        return server_.serverPort();
    }

private:
    void Accept()
    {
        while (auto* socket = static_cast<QSslSocket*>(server_.nextPendingConnection())) {
            socket->setParent(this);
            auto buffer = std::make_shared<std::string>();
            connect(socket, &QSslSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll().toStdString());
                const size_t end = buffer->find("\r\n\r\n");
                if (end == std::string::npos || !reply_)
                    return;
                const std::string request = buffer->substr(0, end + 4);
                buffer->clear();
                owner_.Record(request);
                socket->write(QByteArray::fromStdString(reply_(request)));
                socket->disconnectFromHost();
            });
            connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    TlsServer& owner_;
    TlsServer::Reply reply_;
    QSslServer server_;
};

TlsServer::TlsServer(const QString& certificateFile, Reply reply)
{
    auto* worker = new TlsServerWorker(*this, certificateFile, std::move(reply));
    worker->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(worker, [this, worker] { port_ = worker->Listen(); }, Qt::BlockingQueuedConnection);
}

TlsServer::~TlsServer()
{
    thread_.quit();
    thread_.wait();
}

QString TlsServer::Url(const QString& path) const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(port_) + path;
}

std::vector<std::string> TlsServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void TlsServer::Record(std::string request)
{
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

QString TlsServer::CertificateFolder()
{
    return QStringLiteral(STRANDMOOR_TLS_FIXTURES);
}
