#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <vector>

namespace quorvel::testing {

/// A one-route HTTP server on 127.0.0.1 for the update driver's tests.
class FeedServer {
public:
    enum class Mode {
        Answer,       // the configured status and body, with Content-Length
        Endless,      // 200 and `streamBytes` of filler without Content-Length
        LargeHeader,  // 200 announcing `streamBytes` in Content-Length, then silence
        Silent,       // accepts and never answers
    };

    explicit FeedServer(Mode mode, QByteArray body = {}, int status = 200)
        : mode_(mode), body_(std::move(body)), status_(status) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    QUrl url(const QString& path = QStringLiteral("/appcast.xml")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    int requests() const { return requests_; }
    qint64 bytesSent() const { return sent_; }
    qint64 streamBytes = 50LL << 20;

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            sockets_.emplace_back(socket);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n")) return;
                request_.clear();
                ++requests_;
                respond(*socket);
            });
        }
    }

    void respond(QTcpSocket& socket) {
        switch (mode_) {
            case Mode::Silent:
                return;
            case Mode::Answer:
                socket.write("HTTP/1.1 " + QByteArray::number(status_) +
                             " X\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                             QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" +
                             body_);
                socket.disconnectFromHost();
                return;
            case Mode::LargeHeader:
                socket.write("HTTP/1.1 200 OK\r\nContent-Length: " +
                             QByteArray::number(streamBytes) + "\r\n\r\n");
                return;
            case Mode::Endless:
                socket.write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
                QObject::connect(&socket, &QTcpSocket::bytesWritten, &socket,
                                 [this, &socket](qint64) { feed(socket); });
                feed(socket);
                return;
        }
    }

    // Keeps a little in flight at a time, so a 50 MB answer never sits in memory.
    void feed(QTcpSocket& socket) {
        static const QByteArray chunk(64 * 1024, 'x');
        while (socket.bytesToWrite() < 4 * chunk.size() && sent_ < streamBytes &&
               socket.state() == QAbstractSocket::ConnectedState) {
            socket.write(chunk);
            sent_ += chunk.size();
        }
        if (sent_ >= streamBytes) socket.disconnectFromHost();
    }

    QTcpServer server_;
    Mode mode_;
    QByteArray body_;
    int status_;
    QByteArray request_;
    int requests_ = 0;
    qint64 sent_ = 0;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
};

}  // namespace quorvel::testing
