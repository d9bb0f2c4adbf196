#pragma once
// The user's language as the language identifier the text table's row choice expects. It is
// read from the locale variables as POSIX programs read their message language: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty names it.
#include <string_view>

namespace kestrel {

class UserLanguage {
  public:
    // The identifier every English locale maps to (the one of US English), and Japanese.
    static constexpr int kEnglish = 1033;
    static constexpr int kJapanese = 1041;

    // 1033 for an English locale name ("en", "en_US.UTF-8", "en_GB@euro"), 1041 for a Japanese
    // one, 0 for any other ("C", "POSIX", "de_DE.UTF-8", "").
    static int IdOfLocaleName(std::string_view name);

    // The locale name that decides the language: LC_ALL, else LC_MESSAGES, else LANG.
    static std::string_view LocaleName();
    static int DefaultId() { return IdOfLocaleName(LocaleName()); }
};

} // namespace kestrel
