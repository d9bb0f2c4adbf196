#include "engine/JpegFile.h"

#include "engine/OutputFile.h"

#include <turbojpeg.h>

#include <memory>

namespace kestrel {
namespace {

struct CompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

} // namespace

bool WriteJpegFile(const std::filesystem::path& path, const uint8_t* pixels, int width, int height,
                   int quality) {
    if (pixels == nullptr || width <= 0 || height <= 0)
        return false;
    std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    if (!compressor)
        return false;
    unsigned char* raw = nullptr;
    unsigned long size = 0;
    const int failed = tjCompress2(compressor.get(), pixels, width, width * 4, height, TJPF_BGRX,
                                   &raw, &size, TJSAMP_420, quality, TJFLAG_BOTTOMUP);
    std::unique_ptr<unsigned char, BufferDeleter> jpeg(raw);
    if (failed != 0 || !jpeg)
        return false;
    // A snapshot replaces a file of the same name, as the save dialog has asked about it.
    OutputFile out;
    if (!out.Create(path, true) || !out.Write(jpeg.get(), size))
        return false;
    return out.Commit();
}

} // namespace kestrel
