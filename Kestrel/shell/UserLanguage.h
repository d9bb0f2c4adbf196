#pragma once
// The user's default language as the language identifier the text table's row choice expects.
#include <QLocale>

namespace kestrel {

class UserLanguage {
  public:
    static constexpr int kUsEnglish = 1033;
    static constexpr int kJapanese = 1041;

    // 1033 for US English, 1041 for Japanese, 0 for any other language.
    static int IdOf(const QLocale& locale);
    static int DefaultId() { return IdOf(QLocale::system()); }
};

} // namespace kestrel
