#pragma once
// The texts the user interface shows: two rows of 260 slots, slots 0..152 used. Row 0 holds
// the Japanese texts, row 1 the English ones; the row in use follows the user's language.
#include <cstddef>
#include <string_view>

namespace kestrel {

class UiTextTable {
  public:
    static constexpr size_t kRows = 2;
    static constexpr size_t kSlots = 260;
    static constexpr size_t kUsedSlots = 153;
    // The language identifier that selects row 1 (the one of US English, which stands for
    // every English locale).
    static constexpr int kUsEnglish = 1033;

    // Row 1 for English, row 0 for every other language.
    static int RowForLanguage(int languageId) { return languageId == kUsEnglish ? 1 : 0; }

    // Text `slot` of `row`; a slot without a text (or outside the table) gives "".
    static std::string_view Text(int row, int slot);
};

// The row in use; 0 until the application chooses it at start-up.
extern int LanguageRow;

// Text `slot` of the row in use.
inline std::string_view UiText(int slot) {
    return UiTextTable::Text(LanguageRow, slot);
}

} // namespace kestrel
