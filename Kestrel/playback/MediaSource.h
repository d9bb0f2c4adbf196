#pragma once
// A movie file opened for playback: the demuxer over the file, its streams and duration.
// Reading and seeking happen on the session's thread only.
#include "playback/MediaResult.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace kestrel::playback {

enum class MajorType { Video, Audio, Other };

// One stream of the presentation: its index, kind and whether it is played. The first
// video stream and the first audio stream are selected.
struct StreamDescriptor {
    int Index = 0;
    MajorType Type = MajorType::Other;
    bool Selected = false;
};

class MediaSource {
  public:
    ~MediaSource();
    MediaSource(const MediaSource&) = delete;
    MediaSource& operator=(const MediaSource&) = delete;

    // Resolves `path` into a source; kUnsupportedByteStream when it is not a movie,
    // kNoDecoder when its picture cannot be decoded here.
    static MediaResult CreateFromPath(const std::filesystem::path& path,
                                      std::shared_ptr<MediaSource>& source);

    std::vector<StreamDescriptor> CreatePresentationDescriptor() const;
    // The presentation's length in 100 ns units; 0 when unknown.
    int64_t Duration() const { return duration_; }
    const AVStream* Stream(int index) const;
    int VideoStreamIndex() const { return videoIndex_; }

    // The next packet; kFalse at the end of the file.
    MediaResult ReadPacket(AVPacket* packet);
    // Moves to the key frame at or before `position` (100 ns) of the video stream.
    MediaResult Seek(int64_t position);
    void Shutdown();

  private:
    MediaSource() = default;

    AVFormatContext* format_ = nullptr;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    int64_t duration_ = 0;
};

// Converts between a stream's time base and 100 ns units.
int64_t StreamTimeTo100ns(const AVStream* stream, int64_t time);
int64_t From100nsToStreamTime(const AVStream* stream, int64_t time);

} // namespace kestrel::playback
