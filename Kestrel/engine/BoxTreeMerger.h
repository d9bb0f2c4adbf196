#pragma once
// Appends one recording to another in box-tree form: the media and recorder data of `next`
// follow those of `first`, and the sample tables, counts and durations of `first` grow to
// cover them. Both trees must be loaded with copying; `next` must stay loaded until the
// merged tree is written, because its file provides the appended media.
#include "engine/BoxTree.h"

#include <string>

namespace kestrel {

// True on success. On failure `error` says why and `first` must not be written (it may be
// partly merged).
bool MergeBoxTrees(BoxTree& first, const BoxTree& next, std::string* error = nullptr);

} // namespace kestrel
