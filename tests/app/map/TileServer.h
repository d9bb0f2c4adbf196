#pragma once
// A tile server on the loopback address for the map's tests and the viewer's benchmarks, so
// that the map shows a background without the network. Runs on the thread that made it,
// inside its event loop; needs nothing of the test framework.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <vector>

namespace kestrel::test {

// Serves 256 x 256 tiles in a light green with a grid line, and answers anything else with an
// empty 200. Every request is counted with its User-Agent and Referer. Off, the port is closed:
// the map goes off-line.
class TileServer : public QObject {
  public:
    struct Request {
        QByteArray Method, Path, UserAgent, Referer;
    };

    TileServer() {
        connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
        SetOn(true);
    }
    void SetOn(bool on) {
        if (on && !server_.isListening())
            server_.listen(QHostAddress::LocalHost, port_);
        if (!on) {
            server_.close();
            for (QTcpSocket* socket : findChildren<QTcpSocket*>())
                socket->abort();
        }
        if (on)
            port_ = server_.serverPort();
    }
    quint16 Port() const { return port_; }
    QString Template() const {
        return QStringLiteral("http://127.0.0.1:%1/tiles/{z}/{x}/{y}.png").arg(port_);
    }
    int TileRequests() const {
        int n = 0;
        for (const Request& r : requests_)
            n += r.Path.startsWith("/tiles/") ? 1 : 0;
        return n;
    }
    const std::vector<Request>& Requests() const { return requests_; }

  private:
    void Accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }
    void Read(QTcpSocket* socket) {
        QByteArray& buffer = pending_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        pending_.erase(socket);
        Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.Method = first.value(0);
        request.Path = first.value(1);
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "user-agent")
                request.UserAgent = value;
            else if (name == "referer")
                request.Referer = value;
        }
        requests_.push_back(request);
        QByteArray body;
        QByteArray type = "text/plain";
        if (request.Path.startsWith("/tiles/")) {
            body = Tile();
            type = "image/png";
        }
        QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: " + type +
                           "\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n"
                           // Every showing of a tile asks again, so that the requests
                           // count what the page shows.
                           "Cache-Control: no-store\r\n"
                           "Content-Length: " +
                           QByteArray::number(body.size()) + "\r\n\r\n";
        if (request.Method != "HEAD")
            reply += body;
        socket->write(reply);
        socket->disconnectFromHost();
    }
    static QByteArray Tile() {
        static const QByteArray png = [] {
            QImage image(256, 256, QImage::Format_RGB32);
            image.fill(QColor(200, 230, 190));
            QPainter p(&image);
            p.setPen(QColor(120, 160, 120));
            p.drawRect(0, 0, 255, 255);
            p.end();
            QByteArray bytes;
            QBuffer out(&bytes);
            out.open(QIODevice::WriteOnly);
            image.save(&out, "PNG");
            return bytes;
        }();
        return png;
    }

    QTcpServer server_;
    quint16 port_ = 0;
    std::vector<Request> requests_;
    std::map<QTcpSocket*, QByteArray> pending_;
};

} // namespace kestrel::test
