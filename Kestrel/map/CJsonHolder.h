#pragma once
// The small JSON writer and reader of the map's web messages: one flat object of quoted
// string values. Keys are kept in UTF-16 code-unit order, so the update message always comes
// out in the same key order; nothing is escaped, because the host only writes numbers and
// fixed status words.
#include <QString>

#include <map>
#include <utility>

namespace kestrel {

class CJsonHolder {
  public:
    void Clear() { entries_.clear(); }
    // Stores `value` under `key`; `separator` is written after the value (",", or "" for the
    // key that closes the object).
    void Set(const QString& key, const QString& value, const QString& separator);
    // The value of `key`; a missing key is added with an empty value and yields "".
    QString Get(const QString& key);
    QString Serialize() const;
    // Adds the pairs of `text` to the entries (it does not clear them first).
    void Parse(const QString& text);

    size_t Size() const { return entries_.size(); }

  private:
    // QString's operator< compares UTF-16 code units.
    std::map<QString, std::pair<QString, QString>> entries_;
};

} // namespace kestrel
