#include "engine/Utf8Text.h"

#include <cstdint>

namespace kestrel {

size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    uint32_t min = 0;
    if (lead < 0x80)
        return 1;
    if ((lead >> 5) == 0x6) {
        length = 2;
        min = 0x80;
    } else if ((lead >> 4) == 0xE) {
        length = 3;
        min = 0x800;
    } else if ((lead >> 3) == 0x1E) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    uint32_t code = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return (code < min || code > 0x10FFFF || surrogate) ? 0 : length;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            length = 1;
        } else {
            out.append(text.data(), length);
        }
        text.remove_prefix(length);
    }
    return out;
}

} // namespace kestrel
