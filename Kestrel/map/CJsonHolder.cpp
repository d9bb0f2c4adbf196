#include "map/CJsonHolder.h"

namespace kestrel {

void CJsonHolder::Set(const QString& key, const QString& value, const QString& separator) {
    entries_[key] = {value, separator};
}

QString CJsonHolder::Get(const QString& key) {
    return entries_[key].first;
}

QString CJsonHolder::Serialize() const {
    QString text = QStringLiteral("{");
    for (const auto& [key, entry] : entries_) {
        text += QLatin1Char('"') + key + QStringLiteral("\":\"") + entry.first + QLatin1Char('"') +
                entry.second;
    }
    text += QLatin1Char('}');
    return text;
}

void CJsonHolder::Parse(const QString& text) {
    // 0 outside, 1 in object, 2 in key, 3 after key, 4 after colon, 5 in value, 6 after value.
    int state = 0;
    QString key;
    QString value;
    auto store = [&](const QString& separator) {
        entries_[key] = {value, separator};
        key.clear();
        value.clear();
    };
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'{':
            state = 1;
            break;
        case u'"':
            if (state == 1 || state == 2 || state == 4 || state == 5)
                ++state;
            break;
        case u':':
            if (state == 3)
                state = 4;
            break;
        case u',':
            if (state == 6) {
                store(QStringLiteral(","));
                state = 1;
            }
            break;
        case u'}':
            if (state == 1) {
                state = 0;
            } else if (state == 6) {
                store(QString());
                state = 0;
            }
            break;
        default:
            if (state == 2)
                key += c;
            else if (state == 5)
                value += c;
            break;
        }
    }
}

} // namespace kestrel
