#include "update/VersionCheck.h"

#include "shell/UiQText.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace kestrel {
namespace {

// CP932 bytes as text; a byte sequence the code page does not define becomes U+FFFD.
QString FromCp932(const QByteArray& bytes) {
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    std::string out;
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char buffer[512];
    while (inLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t result = ::iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // An undefined byte, or a lead byte whose trail was cut off by the block's end.
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString Section(const QString& title, const QString& current, const QString& latest,
                const QString& page) {
    const QString url = page.toHtmlEscaped();
    return QStringLiteral("%1:\r\n%2%3   →   %4%5\r\n\r\nURL : <a href=\"%6\">%6</a>")
        .arg(title, UiQText(109), current.toHtmlEscaped(), UiQText(111), latest.toHtmlEscaped(),
             url);
}

} // namespace

std::optional<QString> VersionCheck::VersionInBlock(const QByteArray& block) {
    const QByteArray read = block.left(kBlockBytes);
    if (read.isEmpty())
        return QString();
    const QString text = FromCp932(read).left(kBlockBytes);
    const qsizetype marker = text.indexOf(QLatin1String("VER:"));
    if (marker < 0)
        return std::nullopt;
    return text.mid(marker + 4, kVersionChars);
}

QString VersionCheck::Normalise(const QString& version) {
    QString out;
    int dots = 0;
    for (const QChar c : version) {
        if (c == QLatin1Char('.') && ++dots == 3)
            break;
        if (c.isLetter())
            continue;
        out += c;
    }
    return out;
}

char VersionCheck::ModelCodeOf(const QString& deviceVersion) {
    if (deviceVersion.isEmpty())
        return 0;
    const QChar last = deviceVersion.back();
    return last.unicode() < 0x80 ? static_cast<char>(last.unicode()) : 0;
}

std::optional<VersionCheck::Findings> VersionCheck::Run(const QString& deviceVersion,
                                                        const Site& site, const Fetch& fetch) {
    Findings findings;
    const char model = ModelCodeOf(deviceVersion);
    const bool knownModel = model == '0' || model == 'A' || model == 'C';
    if (knownModel && !site.RecorderVersionUrl.isEmpty()) {
        if (const std::optional<QString> fetched = fetch(site.RecorderVersionUrl)) {
            const QString latest = Normalise(*fetched);
            const QString current = Normalise(deviceVersion);
            if (latest != current) {
                const QString suffix = QStringLiteral(".") + QLatin1Char(model);
                findings.RecorderUpdate = true;
                findings.CurrentRecorder = current + suffix;
                findings.LatestRecorder = latest + suffix;
                findings.RecorderPage = site.RecorderPageUrl;
            }
        }
    }
    const std::optional<QString> viewer =
        site.ViewerVersionUrl.isEmpty() ? std::nullopt : fetch(site.ViewerVersionUrl);
    if (!viewer)
        return std::nullopt;
    if (*viewer != QLatin1String(kViewerVersion)) {
        findings.ViewerUpdate = true;
        findings.LatestViewer = *viewer;
        findings.ViewerPage = site.ViewerPageUrl;
    }
    return findings;
}

QString VersionCheck::NoticeText(const Findings& findings) {
    if (!findings.RecorderUpdate && !findings.ViewerUpdate)
        return {};
    QString text = UiQText(107) + QStringLiteral("\r\n\r\n");
    if (findings.RecorderUpdate) {
        text += Section(UiQText(110), findings.CurrentRecorder, findings.LatestRecorder,
                        findings.RecorderPage);
    }
    if (findings.RecorderUpdate && findings.ViewerUpdate)
        text += QStringLiteral("\r\n\r\n\r\n");
    if (findings.ViewerUpdate) {
        text += Section(UiQText(112), QLatin1String(kViewerVersion), findings.LatestViewer,
                        findings.ViewerPage);
    }
    if (findings.RecorderUpdate && findings.ViewerUpdate)
        text += QStringLiteral("\r\n");
    return text;
}

} // namespace kestrel
