#pragma once
// Helpers of the viewer's tests: a fresh working directory, and waiting for posted events.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace kestrel::test {

// A new empty directory that is the working directory while the object lives.
class TempWorkDir {
  public:
    TempWorkDir() {
        std::string pattern = testing::TempDir() + "kestrel-app-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            path_ = made;
        std::error_code ec;
        previous_ = std::filesystem::current_path(ec);
        std::filesystem::current_path(path_, ec);
    }
    ~TempWorkDir() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Processes events until `done` holds or `timeoutMs` passes; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace kestrel::test

#include "shell/AppEvent.h"

#include <QWidget>

#include <vector>

namespace kestrel::test {

// A window that keeps every application message posted to it.
class MessageRecorder : public QWidget {
  public:
    struct Message {
        int Number;
        intptr_t WParam;
        intptr_t LParam;
        friend bool operator==(const Message&, const Message&) = default;
    };

    std::vector<Message> Received;

  protected:
    bool event(QEvent* event) override {
        if (const int number = AppEvent::MessageOf(event); number >= 0) {
            const auto* app = static_cast<const AppEvent*>(event);
            Received.push_back({number, app->WParam(), app->LParam()});
            return true;
        }
        return QWidget::event(event);
    }
};

inline void PrintTo(const MessageRecorder::Message& m, std::ostream* os) {
    *os << "WM_APP+" << m.Number << "(" << m.WParam << ", " << m.LParam << ")";
}

} // namespace kestrel::test
