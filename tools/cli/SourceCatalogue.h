#pragma once
// The recordings of a path as `kestrel-cli list PATH` lists them: a folder's own recordings
// in the viewer's order (or, flat, the recordings of its whole tree), or one movie file.
#include "engine/RecordingCatalogue.h"

#include <filesystem>
#include <string>

namespace kestrel::cli {

// False, with the reason in `error`, when the path cannot be read.
bool CatalogueOfPath(const std::filesystem::path& path, bool flat, Catalogue& out,
                     std::string& error);

} // namespace kestrel::cli
