#include "shell/UserLanguage.h"

namespace kestrel {

int UserLanguage::IdOf(const QLocale& locale) {
    if (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates) {
        return kUsEnglish;
    }
    if (locale.language() == QLocale::Japanese)
        return kJapanese;
    return 0;
}

} // namespace kestrel
