#pragma once
// UI text N of the row in use, as a QString.
#include "engine/UiTextTable.h"

#include <QString>

namespace kestrel {

inline QString UiQText(int slot) {
    const std::string_view text = UiText(slot);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace kestrel
