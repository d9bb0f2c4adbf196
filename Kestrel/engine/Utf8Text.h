#pragma once
// UTF-8 checks for text that comes from the file system: a file name may hold any bytes, and
// the documents written from it (tracks, listings) must stay well-formed.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

// Length of the valid UTF-8 sequence at the start of `text`, 0 when it does not start one
// (an overlong form, a surrogate, a value past U+10FFFF, a cut or stray byte).
size_t Utf8SequenceLength(std::string_view text);

// `text` with every byte that does not belong to a valid sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

} // namespace kestrel
