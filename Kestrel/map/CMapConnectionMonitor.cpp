#include "map/CMapConnectionMonitor.h"

#include "map/MapTileSettings.h"
#include "map/WebEngineRuntime.h"

#include <QDir>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <chrono>

namespace kestrel {

CMapConnectionMonitor::CMapConnectionMonitor(QUrl probeUrl, QString localFolder)
    : probeUrl_(std::move(probeUrl)), localFolder_(std::move(localFolder)) {}

CMapConnectionMonitor::~CMapConnectionMonitor() {
    Stop();
}

void CMapConnectionMonitor::Stop() {
    {
        std::lock_guard lock(stopMutex_);
        stop_ = true;
    }
    stopWake_.notify_all();
    wait();
}

bool CMapConnectionMonitor::WaitPeriod() {
    std::unique_lock lock(stopMutex_);
    return !stopWake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                               [this] { return stop_.load(); });
}

void CMapConnectionMonitor::run() {
    while (WaitPeriod()) {
        IsConnected = Probe() ? 1 : 0;
        ++Probes;
    }
}

bool CMapConnectionMonitor::Probe() {
    if (!localFolder_.isEmpty())
        return QDir(localFolder_).exists();
    if (!probeUrl_.isValid())
        return false;
    QNetworkAccessManager network;
    // The proxy of the environment (http_proxy, https_proxy, no_proxy); never for this machine.
    const QHostAddress address(probeUrl_.host());
    if (address.isLoopback() || probeUrl_.host() == QStringLiteral("localhost")) {
        network.setProxy(QNetworkProxy::NoProxy);
    } else {
        const QList<QNetworkProxy> proxies =
            QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(probeUrl_));
        if (!proxies.isEmpty())
            network.setProxy(proxies.front());
    }
    QNetworkRequest request(probeUrl_);
    request.setRawHeader("Accept", "*/*");
    request.setHeader(QNetworkRequest::UserAgentHeader, WebEngineRuntime::UserAgent());
    request.setRawHeader("Referer", probeUrl_.adjusted(QUrl::RemovePath).toEncoded() +
                                        MapTileSettings::kRefererPath);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kProbeTimeoutMs);
    QNetworkReply* reply = network.head(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // A stop does not wait for a slow server.
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &loop, [&] {
        if (stop_)
            reply->abort();
    });
    stopCheck.start(50);
    if (!reply->isFinished())
        loop.exec();
    // Any answer of the server, an error status included, means it can be reached.
    const bool answered = reply->error() == QNetworkReply::NoError ||
                          reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    delete reply;
    return answered;
}

} // namespace kestrel
