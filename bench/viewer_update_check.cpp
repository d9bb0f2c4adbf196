// The once-a-run update check against a version site on 127.0.0.1: the time from the start of
// the check to its end (both version files fetched, the notice's text posted) and to the
// notice on the screen. Baseline in the same run: one plain Qt Network GET of the viewer's
// version file, the least any check has to do.
// Usage: viewer_update_check [ROUNDS]
#include "../tests/app/update/VersionServer.h"
#include "settings/SettingsStore.h"
#include "update/CInetConnectionAsync.h"
#include "update/CUpdateDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kViewerPath = "/0_recorder/viewer/Ravenlog4/Ravenlog4_version.txt";

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double PlainGetMs(const std::string& url) {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QElapsedTimer clock;
    clock.start();
    QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(QString::fromStdString(url))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->readAll();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    reply->deleteLater();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    char pattern[] = "/tmp/kestrel-update-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir || ::chdir(dir) != 0)
        return 1;
    kestrel::SettingsStore::CaptureSettingsFolder();
    kestrel::test::VersionServer server;
    server.Set(kViewerPath, {200, "VER:2.0.0.1"});
    server.Set("/fw/0.txt", {200, "VER:1.2.4"});
    kestrel::WriteSetting("UPDATE", "HOST", server.Base());
    kestrel::WriteSetting("UPDATE", "VERSION_0", "/fw/0.txt");
    kestrel::WriteSetting("UPDATE", "PAGE_0", "/fw/0.html");

    std::vector<double> plain, check, shown;
    for (int i = 0; i < rounds; ++i) {
        plain.push_back(PlainGetMs(server.Url(kViewerPath)));
        kestrel::CInetConnectionAsync connection;
        QElapsedTimer clock;
        clock.start();
        connection.StartUpdateCheck(QStringLiteral("1.2.3.0"));
        while (!connection.Finished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        check.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        while (!connection.Notice() && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        shown.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        connection.Stop();
    }
    std::printf("plain GET of the viewer's version file: median %.2f ms\n", Median(plain));
    std::printf("update check (two version files):      median %.2f ms (%.1fx the plain GET)\n",
                Median(check), Median(check) / std::max(Median(plain), 1e-9));
    std::printf("update check to the notice shown:      median %.2f ms\n", Median(shown));
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
