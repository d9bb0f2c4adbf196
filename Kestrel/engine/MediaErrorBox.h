#pragma once
// The "ERROR" box of a failed media call: the text names the result code.
#include <cstdint>
#include <string>

namespace kestrel {

// The text for `code`: the platform's name for the common codes, the UI's codec text for a
// stream nothing can decode, "Unknown 0x%x" otherwise.
std::string MediaErrorText(int32_t code);
// Shows the box (through SystemMessageBox) with that text.
void ReportMediaError(int32_t code);

} // namespace kestrel
