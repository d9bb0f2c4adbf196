#pragma once
// Helpers of the map's tests: a tile server on the loopback address that draws its tiles and
// counts the requests, and script evaluation in a page that waits for the answer.
#include "AppTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QVariant>
#include <QWebEnginePage>

#include <map>
#include <memory>
#include <optional>

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

// The value of `script` in `page`, or an invalid QVariant after `timeoutMs`.
inline QVariant Eval(QWebEnginePage* page, const QString& script, int timeoutMs = 5000) {
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    PumpUntil([&] { return result->has_value(); }, timeoutMs);
    return result->value_or(QVariant());
}

// Evaluates `script` until it yields true.
inline bool EvalUntil(QWebEnginePage* page, const QString& script, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (Eval(page, script, timeoutMs).toBool())
            return true;
        PumpUntil([] { return false; }, 20);
    }
    return false;
}

// Runs everything the page has queued, then `expression` in the same queue (so that it sees
// the effects of every command sent before); its value, through JSON.
inline QVariant Queued(QWebEnginePage* page, const QString& expression) {
    Eval(page, QStringLiteral("window.__r = undefined; serial(async () => { window.__r = "
                              "JSON.stringify({v: await (%1)}); });")
                   .arg(expression));
    if (!EvalUntil(page, QStringLiteral("window.__r !== undefined")))
        return {};
    const QVariant text = Eval(page, QStringLiteral("window.__r"));
    return QJsonDocument::fromJson(text.toString().toUtf8()).toVariant().toMap().value("v");
}

// The share of pixels of `image` inside `area` that are close to `colour`.
inline double ShareOf(const QImage& image, QColor colour, QRect area = {}, int tolerance = 40) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (area.isNull())
        area = rgb.rect();
    area &= rgb.rect();
    qint64 hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = rgb.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < tolerance &&
                std::abs(c.green() - colour.green()) < tolerance &&
                std::abs(c.blue() - colour.blue()) < tolerance)
                ++hits;
        }
    }
    const qint64 all = qint64(area.width()) * area.height();
    return all > 0 ? double(hits) / double(all) : 0.0;
}

} // namespace kestrel::test
