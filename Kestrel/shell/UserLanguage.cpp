#include "shell/UserLanguage.h"

#include <cstdlib>

namespace kestrel {
namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i])
            return false;
    }
    return true;
}

} // namespace

int UserLanguage::IdOfLocaleName(std::string_view name) {
    // language[_territory][.codeset][@modifier]
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    if (SameLetters(language, "en"))
        return kEnglish;
    if (SameLetters(language, "ja"))
        return kJapanese;
    return 0;
}

std::string_view UserLanguage::LocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return {};
}

} // namespace kestrel
