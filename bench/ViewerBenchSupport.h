#pragma once
// What the viewer's benchmarks share: running the event loop as the application would, and
// the processor time of the viewer with every process it started (the web engine's).
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace kestrel::bench {

// Runs the event loop for `ms` as the application would, without polling.
inline void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        // Sleeps until something happens (a picture, a timer), so that the measuring does
        // not take the processor from the viewer.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct ProcessTreeCpu {
    double Seconds = 0.0; // user and system time
    int Processes = 0;
};

// The processor time of this process and all its descendants alive now, from /proc/PID/stat
// (fields 14 and 15, counted after the command name, which may hold spaces).
inline ProcessTreeCpu ProcessTree() {
    std::map<long, long> parentOf;
    std::map<long, double> secondsOf;
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "stat");
        std::string line;
        if (!std::getline(file, line))
            continue;
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 2));
        std::string state;
        long parent = 0;
        unsigned long long skip = 0;
        unsigned long long user = 0;
        unsigned long long system = 0;
        fields >> state >> parent;
        for (int i = 0; i < 9; ++i) // fields 5 to 13
            fields >> skip;
        fields >> user >> system;
        if (!fields)
            continue;
        const long pid = std::stol(name);
        parentOf[pid] = parent;
        secondsOf[pid] = static_cast<double>(user + system) / tick;
    }
    std::set<long> tree{static_cast<long>(::getpid())};
    for (bool grown = true; grown;) {
        grown = false;
        for (const auto& [pid, parent] : parentOf) {
            if (tree.count(parent) != 0 && tree.insert(pid).second)
                grown = true;
        }
    }
    ProcessTreeCpu all;
    for (long pid : tree)
        all.Seconds += secondsOf.count(pid) != 0 ? secondsOf[pid] : 0.0;
    all.Processes = static_cast<int>(tree.size());
    return all;
}

// Closes every modal box the window opens, as its user would answer it: the window tells
// once at start-up when the web engine cannot run. `timer` runs while it lives.
inline void AnswerModalBoxes(QTimer& timer) {
    QObject::connect(&timer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    timer.start(100);
}

} // namespace kestrel::bench
