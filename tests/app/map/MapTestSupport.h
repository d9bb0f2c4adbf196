#pragma once
// Helpers of the map's tests: a tile server on the loopback address that draws its tiles and
// counts the requests, and script evaluation in a page that waits for the answer.
#include "AppTestSupport.h"
#include "TileServer.h"

#include <QImage>
#include <QJsonDocument>
#include <QVariant>
#include <QWebEnginePage>

#include <memory>
#include <optional>

namespace kestrel::test {

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
