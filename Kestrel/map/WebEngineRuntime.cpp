#include "map/WebEngineRuntime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace kestrel {
namespace {

void AddChromiumFlag(const QByteArray& flag) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.split(' ').contains(flag))
        return;
    if (!flags.isEmpty())
        flags += ' ';
    flags += flag;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

// A render node is what a GPU driver offers; without one (a server, a virtual X server) the
// engine's GPU process only fails and retries.
bool HasGpu() {
    return !QDir(QStringLiteral("/dev/dri"))
                .entryList({QStringLiteral("renderD*")}, QDir::System)
                .isEmpty();
}

} // namespace

void WebEngineRuntime::PrepareProcess() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!HasGpu()) {
        AddChromiumFlag("--disable-gpu");
        AddChromiumFlag("--disable-gpu-compositing");
    }
    // The web engine's views share one OpenGL context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QWebEngineUrlScheme scheme(kLocalTileScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

bool WebEngineRuntime::CanRun() {
    QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (process.isEmpty()) {
        process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                  QStringLiteral("/QtWebEngineProcess");
    }
    const QFileInfo helper(process);
    return helper.isFile() && helper.isExecutable();
}

QString WebEngineRuntime::UserAgent() {
    return QStringLiteral("Kestrel/") + QStringLiteral(KESTREL_VERSION);
}

} // namespace kestrel
