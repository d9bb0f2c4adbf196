#include "update/UpdateSite.h"

#include "settings/SettingsStore.h"

#include <string>

namespace kestrel {
namespace {

bool IsWebUrl(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QString Setting(const char* key) {
    return QString::fromStdString(ReadSetting(UpdateSite::kSection, key)).trimmed();
}

} // namespace

void UpdateSite::WriteDefaults() {
    for (const char* key :
         {"HOST", "VERSION_0", "PAGE_0", "VERSION_A", "PAGE_A", "VERSION_C", "PAGE_C"}) {
        WriteSetting(kSection, key, "");
    }
}

std::optional<QUrl> UpdateSite::Host() {
    QString text = Setting("HOST");
    if (text.isEmpty())
        return std::nullopt;
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("http://"));
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    const QUrl url(text, QUrl::StrictMode);
    if (!IsWebUrl(url))
        return std::nullopt;
    return url;
}

QString UpdateSite::Resolve(const QUrl& host, const QString& value) {
    if (value.isEmpty())
        return {};
    if (value.startsWith(QLatin1Char('/'))) {
        QUrl url = host;
        url.setPath(host.path() + value);
        return IsWebUrl(url) ? url.toString() : QString();
    }
    const QUrl url(value, QUrl::StrictMode);
    return IsWebUrl(url) ? url.toString() : QString();
}

std::optional<VersionCheck::Site> UpdateSite::SiteFor(const QString& deviceVersion) {
    const std::optional<QUrl> host = Host();
    if (!host)
        return std::nullopt;
    VersionCheck::Site site;
    site.ViewerVersionUrl = Resolve(*host, QLatin1String(kViewerVersionPath));
    site.ViewerPageUrl = Resolve(*host, QLatin1String(kViewerPagePath));
    const char model = VersionCheck::ModelCodeOf(deviceVersion);
    if (model == '0' || model == 'A' || model == 'C') {
        const std::string code(1, model);
        site.RecorderVersionUrl = Resolve(*host, Setting(("VERSION_" + code).c_str()));
        site.RecorderPageUrl = Resolve(*host, Setting(("PAGE_" + code).c_str()));
    }
    return site;
}

} // namespace kestrel
