#pragma once
// Writes a picture as a JPEG file: all or nothing (a temporary file beside the target,
// renamed when complete, removed on any failure).
#include <cstdint>
#include <filesystem>

namespace kestrel {

inline constexpr int kJpegQuality = 90;

// `pixels`: width x height 32-bit pixels, bytes blue, green, red, unused, rows bottom-up.
bool WriteJpegFile(const std::filesystem::path& path, const uint8_t* pixels, int width, int height,
                   int quality = kJpegQuality);

} // namespace kestrel
