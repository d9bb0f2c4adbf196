#include "update/VersionFetcher.h"

#include "update/VersionCheck.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace kestrel {
namespace {

bool IsLoopback(const QUrl& url) {
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

} // namespace

std::optional<QString> VersionFetcher::FetchVersion(const QString& url) const {
    QByteArray block;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (Stopped())
            return std::nullopt;
        if (attempt > 0)
            QThread::yieldCurrentThread();
        block.clear();
        switch (ReadBlock(url, block)) {
        case Outcome::Read:
            return VersionCheck::VersionInBlock(block);
        case Outcome::OpenFailed:
            return std::nullopt;
        case Outcome::ReadFailed:
            break;
        }
    }
    return std::nullopt;
}

VersionFetcher::Outcome VersionFetcher::ReadBlock(const QString& address, QByteArray& block) const {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        return Outcome::OpenFailed;
    }
    QNetworkAccessManager manager;
    // The system's proxy (http_proxy, https_proxy) for the site; never for this machine.
    if (IsLoopback(url))
        manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "*/*");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kTransferTimeoutMs);

    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    bool full = false;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        const qsizetype room = VersionCheck::kBlockBytes - block.size();
        block += reply->read(room);
        if (block.size() >= VersionCheck::kBlockBytes) {
            full = true;
            loop.quit();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &loop, [&] {
        if (Stopped())
            loop.quit();
    });
    stopPoll.start(50);
    if (!reply->isFinished())
        loop.exec();
    stopPoll.stop();

    if (full) {
        reply->abort();
        return Outcome::Read;
    }
    if (!reply->isFinished()) {
        // Stopped from outside.
        reply->abort();
        return Outcome::OpenFailed;
    }
    // What is left after the last readyRead.
    const qsizetype room = VersionCheck::kBlockBytes - block.size();
    if (room > 0)
        block += reply->read(room);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return Outcome::OpenFailed;
    if (reply->error() == QNetworkReply::NoError)
        return Outcome::Read;
    // Without an answer the site was not reached, and trying again at once would not help; a
    // transfer that broke off after the answer began is read again.
    return status == 0 ? Outcome::OpenFailed : Outcome::ReadFailed;
}

} // namespace kestrel
