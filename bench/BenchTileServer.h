#pragma once
// A tile server on the loopback address for the viewer's benchmarks, so that the map shows a
// background without the network: every request is answered with one small PNG tile, and the
// tile requests are counted. Runs on the thread that made it, inside the event loop.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrel::bench {

class BenchTileServer : public QObject {
  public:
    BenchTileServer() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    bool Listening() const { return server_.isListening(); }
    QString Template() const {
        return QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server_.serverPort());
    }
    int Tiles() const { return tiles_; }

  private:
    void Answer(QTcpSocket* socket) {
        QByteArray& request = partial_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const bool head = request.startsWith("HEAD ");
        const bool tile = request.contains(".png ");
        partial_.remove(socket);
        const QByteArray body = tile ? Tile() : QByteArray();
        tiles_ += tile ? 1 : 0;
        QByteArray reply =
            "HTTP/1.1 200 OK\r\nContent-Type: " + QByteArray(tile ? "image/png" : "text/plain") +
            "\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n"
            "Content-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n";
        socket->write(head ? reply : reply + body);
        socket->disconnectFromHost();
    }
    // A pale tile with its border, as a street map's background is mostly pale.
    static QByteArray Tile() {
        static const QByteArray png = [] {
            QImage image(256, 256, QImage::Format_RGB32);
            image.fill(QColor(236, 232, 222));
            QPainter painter(&image);
            painter.setPen(QColor(180, 176, 168));
            painter.drawRect(0, 0, 255, 255);
            painter.end();
            QByteArray bytes;
            QBuffer out(&bytes);
            out.open(QIODevice::WriteOnly);
            image.save(&out, "PNG");
            return bytes;
        }();
        return png;
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> partial_;
    int tiles_ = 0;
};

} // namespace kestrel::bench
