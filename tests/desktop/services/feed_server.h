#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace quorvel::testing {

/// A one-route HTTP server on 127.0.0.1 for the update driver's tests: it
/// answers every request with one status and body, or (`silent`) never.
class FeedServer {
public:
    explicit FeedServer(QByteArray body, int status = 200, bool silent = false)
        : body_(std::move(body)), status_(status), silent_(silent) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(server_.serverPort()));
    }
    int requests() const { return requests_; }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n")) return;
                request_.clear();
                ++requests_;
                if (silent_) return;
                socket->write("HTTP/1.1 " + QByteArray::number(status_) +
                              " X\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                              QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" +
                              body_);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer server_;
    QByteArray body_;
    int status_;
    bool silent_;
    QByteArray request_;
    int requests_ = 0;
};

}  // namespace quorvel::testing
