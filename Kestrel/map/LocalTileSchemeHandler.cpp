#include "map/LocalTileSchemeHandler.h"

#include <QBuffer>
#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

namespace kestrel {

LocalTileSchemeHandler::LocalTileSchemeHandler(QString folder, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), folder_(std::move(folder)) {}

QString LocalTileSchemeHandler::FileOf(const QString& folder, const QString& path) {
    if (folder.isEmpty())
        return {};
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    for (const QString& part : parts) {
        if (part.startsWith(QLatin1Char('.')) || part.contains(QLatin1Char('\\')))
            return {};
    }
    QString file = folder;
    if (!file.endsWith(QLatin1Char('/')))
        file += QLatin1Char('/');
    return file + parts.join(QLatin1Char('/'));
}

void LocalTileSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString name = FileOf(folder_, job->requestUrl().path());
    auto* file = new QFile(name, job);
    if (name.isEmpty() || !file->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QByteArray type = QMimeDatabase().mimeTypeForFile(name).name().toLatin1();
    job->reply(type, file);
}

} // namespace kestrel
