#include "CKestrelApp.h"

#include "CKestrelDlg.h"
#include "shell/SharedFonts.h"
#include "engine/SystemMessageBox.h"
#include "map/WebEngineRuntime.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMetaObject>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <unistd.h>

namespace kestrel {
namespace {

// The engine's system boxes. On the user-interface thread the box is modal; a worker thread
// only queues it, so that it can never wait for a thread that waits for it.
void ShowSystemBox(const std::string& caption, const std::string& text) {
    const QString title = QString::fromStdString(caption);
    const QString body = QString::fromStdString(text);
    auto show = [title, body] { QMessageBox::critical(nullptr, title, body); };
    if (QThread::currentThread() == qApp->thread())
        show();
    else
        QMetaObject::invokeMethod(qApp, show, Qt::QueuedConnection);
}

// Fires once when the window is first exposed on the screen.
class ExposeWatch : public QObject {
  public:
    ExposeWatch(const QWidget& widget, std::function<void()> onShown)
        : widget_(widget), onShown_(std::move(onShown)) {}
    // Watches the whole application: the window's native window is made anew when the map's
    // web view joins it, so a filter on the first one would never see the window shown.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && !fired_) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window == widget_.windowHandle() && window->isExposed()) {
                fired_ = true;
                QTimer::singleShot(0, onShown_);
            }
        }
        return false;
    }

  private:
    const QWidget& widget_;
    std::function<void()> onShown_;
    bool fired_ = false;
};

// Milliseconds since the process was started by the system (to 10 ms), so that loading the
// program and its libraries counts as well; -1 when the system does not tell.
long long ProcessAgeMs() {
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat)
        return -1;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* fields = read ? std::strrchr(line, ')') : nullptr;
    if (!fields)
        return -1;
    // After the command name: state is field 3, the start time field 22.
    unsigned long long startTicks = 0;
    int field = 2;
    for (const char* p = fields + 1; *p && field < 22; ++p) {
        if (*p == ' ' && ++field == 22)
            startTicks = std::strtoull(p + 1, nullptr, 10);
    }
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec now{};
    if (field != 22 || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const long long nowMs = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - static_cast<long long>(startTicks * 1000 /
                                          static_cast<unsigned long long>(ticksPerSecond));
}

} // namespace

bool CKestrelApp::SmokeRun() {
    return qEnvironmentVariableIntValue("KESTREL_SMOKE") == 1;
}

int CKestrelApp::Run(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    WebEngineRuntime::PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrel"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    SystemMessageBox::SetSink(&ShowSystemBox);

    // kestrel PATH: the folder or movie PATH is the source instead of the initial one.
    const QStringList args = QApplication::arguments();
    std::filesystem::path startPath;
    if (args.size() > 1) {
        startPath = std::filesystem::path(args.at(1).toStdString());
        std::error_code ec;
        if (!std::filesystem::exists(startPath, ec)) {
            std::fprintf(stderr, "kestrel: %s does not exist; opening the last source instead\n",
                         args.at(1).toLocal8Bit().constData());
            startPath.clear();
        }
    }

    auto window = std::make_unique<CKestrelDlg>();
    window->Initialise(startPath);

    std::unique_ptr<ExposeWatch> watch;
    qint64 shownMs = -1;
    long long shownAgeMs = -1;
    QElapsedTimer shutdownClock;
    if (SmokeRun()) {
        watch = std::make_unique<ExposeWatch>(*window, [&] {
            shownMs = clock.elapsed();
            shownAgeMs = ProcessAgeMs();
            shutdownClock.start();
            window->OnCommand(CKestrelDlg::IdClose);
        });
        qApp->installEventFilter(watch.get());
    }
    window->show();
    const int code = QApplication::exec();

    SharedFonts::Destroy();
    window.reset();
    SystemMessageBox::SetSink({});
    if (SmokeRun()) {
        std::fprintf(stderr,
                     "kestrel: window shown after %lld ms (%lld ms since the process started)\n",
                     static_cast<long long>(shownMs), shownAgeMs);
        std::fprintf(
            stderr, "kestrel: shutdown took %lld ms\n",
            static_cast<long long>(shutdownClock.isValid() ? shutdownClock.elapsed() : -1));
    }
    return code;
}

} // namespace kestrel
