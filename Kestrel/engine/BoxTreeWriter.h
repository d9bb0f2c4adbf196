#pragma once
// Writes a (merged) box tree as a movie file. Media and recorder records are streamed from
// their source files in 32 MiB mapped pieces, never loaded whole.
#include "engine/BoxTree.h"
#include "engine/OutputFile.h"

#include <string>

namespace kestrel {

// True when every box was written whole and each box's size field matches what was written.
// The output is not committed here: the caller commits or abandons it.
bool WriteBoxTree(const BoxTree& tree, OutputFile& out, std::string* error = nullptr);

} // namespace kestrel
