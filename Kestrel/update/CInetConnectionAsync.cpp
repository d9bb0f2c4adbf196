#include "update/CInetConnectionAsync.h"

#include "shell/UiQText.h"
#include "update/CUpdateDialog.h"
#include "update/UpdateSite.h"
#include "update/VersionFetcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace kestrel {
namespace {

// The notice text, from the check's thread to the user-interface thread.
class NoticeEvent : public QEvent {
  public:
    static QEvent::Type Type() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    explicit NoticeEvent(QString text) : QEvent(Type()), Text(std::move(text)) {}
    const QString Text;
};

} // namespace

CInetConnectionAsync::CInetConnectionAsync(QObject* parent) : QObject(parent) {}

CInetConnectionAsync::~CInetConnectionAsync() {
    Stop();
}

bool CInetConnectionAsync::StartUpdateCheck(const QString& deviceVersion) {
    if (started_ || stop_)
        return false;
    started_ = true;
    deviceVersion_ = deviceVersion;
    // The settings are read here, on the user-interface thread, and handed to the thread.
    const std::optional<VersionCheck::Site> site = UpdateSite::SiteFor(deviceVersion);
    if (!site) {
        finished_ = true;
        return false;
    }
    thread_.reset(QThread::create([this, site = *site, version = deviceVersion] {
        const VersionFetcher fetcher(&stop_);
        const std::optional<VersionCheck::Findings> findings = VersionCheck::Run(
            version, site, [&](const QString& url) { return fetcher.FetchVersion(url); });
        if (findings && !stop_) {
            QString text = VersionCheck::NoticeText(*findings);
            if (!text.isEmpty())
                QCoreApplication::postEvent(this, new NoticeEvent(std::move(text)));
        }
        finished_ = true;
    }));
    thread_->setObjectName(QStringLiteral("update check"));
    thread_->start();
    return true;
}

void CInetConnectionAsync::Stop() {
    stop_ = true;
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
    QCoreApplication::removePostedEvents(this, NoticeEvent::Type());
    if (notice_) {
        notice_->hide();
        notice_.reset();
    }
}

bool CInetConnectionAsync::event(QEvent* event) {
    if (event->type() != NoticeEvent::Type())
        return QObject::event(event);
    if (!stop_)
        ShowNotice(static_cast<NoticeEvent*>(event)->Text);
    return true;
}

void CInetConnectionAsync::ShowNotice(const QString& text) {
    notice_ = std::make_unique<CUpdateDialog>(CUpdateDialog::Variant::Update);
    notice_->setWindowTitle(UiQText(108)); // ソフトの更新情報
    notice_->SetLinkText(text);
    notice_->show();
}

} // namespace kestrel
