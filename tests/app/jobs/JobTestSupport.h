#pragma once
// What the tests of the window's file commands share: a driver that answers the modal
// dialogs a job opens (message boxes, the recording list) and keeps what they said, a
// recorder of the job's messages to the window, and file checksums.
#include "AppTestSupport.h"
#include "shell/AppEvent.h"
#include "skin/CMsgDlg.h"
#include "sources/CFileSelectDlg.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kestrel::test {

// Answers every modal dialog as it comes up: a message box is noted and answered with OK
// unless the test says otherwise; the recording list dialog is handed to the test.
class ModalDriver : public QObject {
  public:
    struct Shown {
        std::string Text;
        std::string Caption;
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    ModalDriver() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start();
    }

    // The answer to the next message boxes: 1 OK, 2 cancel, in order; OK when none is left.
    std::vector<int> Answers;
    // What to do with the recording list dialog (mark rows, press OK or close it); without
    // it the dialog is left to the test.
    std::function<void(CFileSelectDlg&)> OnFileSelect;
    // Runs when a message box with this text comes up, before it is answered.
    std::function<void(const Shown&)> OnMessage;

    std::vector<Shown> Messages;

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_)
            return;
        if (auto* box = qobject_cast<CMsgDlg*>(modal)) {
            last_ = box;
            const Shown shown{box->Message()->text().toStdString(),
                              box->windowTitle().toStdString()};
            Messages.push_back(shown);
            if (OnMessage)
                OnMessage(shown);
            int answer = 1;
            if (!Answers.empty()) {
                answer = Answers.front();
                Answers.erase(Answers.begin());
            }
            box->done(answer);
            return;
        }
        if (auto* list = qobject_cast<CFileSelectDlg*>(modal); list && OnFileSelect) {
            last_ = list;
            OnFileSelect(*list);
        }
    }

    QTimer timer_;
    QPointer<QWidget> last_;
};

// Keeps the job messages (WM_APP+1302..1304) the window receives, in order.
class JobMessageLog : public QObject {
  public:
    using Message = MessageRecorder::Message;
    explicit JobMessageLog(QObject* window) { window->installEventFilter(this); }
    std::vector<Message> Received;
    bool Has(int number) const {
        for (const Message& m : Received) {
            if (m.Number == number)
                return true;
        }
        return false;
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const int n = AppEvent::MessageOf(event);
        if (n == WM_APP_JOB_DONE || n == WM_APP_JOB_PROGRESS || n == WM_APP_DELETE_DONE) {
            const auto* app = static_cast<const AppEvent*>(event);
            Received.push_back({n, app->WParam(), app->LParam()});
        }
        return false;
    }
};

inline void PrintTo(const ModalDriver::Shown& m, std::ostream* os) {
    *os << "[" << m.Caption << "] " << m.Text;
}

// The checksum of every file below `dir`, by path.
inline std::map<std::string, QByteArray> Checksums(const std::filesystem::path& dir) {
    std::map<std::string, QByteArray> sums;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file())
            continue;
        QFile file(QString::fromStdString(e.path().string()));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        sums[e.path().string()] = hash.result();
    }
    return sums;
}

} // namespace kestrel::test
