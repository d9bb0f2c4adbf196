#pragma once
// Encodes the generated pictures (H.264) and sound (AAC or 16-bit PCM) into samples for
// the movie writer. Errors are thrown as std::runtime_error with a one-line message.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel::mkrec {

struct MediaSample {
    std::vector<uint8_t> Data; // H.264: NAL units with 4-byte big-endian lengths
    bool Key = true;
};

struct VideoSettings {
    int Width = 640;
    int Height = 360;
    int Frames = 60;
    int Gop = 30;          // a key frame every Gop frames, closed GOPs, no B-frames
    int SttsDelta = 3000;  // frame duration in 1/90000 s
    int SceneStart = 0;    // frames of the drive before this movie: the background goes on
    bool Dense = false;    // moving noise at a fixed bit rate (DenseScene), not the calm scene
};

struct VideoTrackData {
    std::vector<MediaSample> Samples; // in decode order = presentation order
    std::vector<uint8_t> AvcC;        // the 'avcC' payload
};

enum class AudioKind { None, Aac, Pcm };

inline constexpr int kAudioRate = 48000;
inline constexpr int kAacFrame = 1024;
inline constexpr int kPcmChunk = 4800; // PCM samples per chunk (100 ms)

struct AudioTrackData {
    AudioKind Kind = AudioKind::None;
    std::vector<MediaSample> Packets; // AAC: one packet of kAacFrame samples each
    std::vector<uint8_t> Pcm;         // PCM: little-endian 16-bit mono, whole chunks
    std::vector<uint8_t> Config;      // AAC: the AudioSpecificConfig
    int64_t MediaSamples = 0;         // samples stored in the track (at kAudioRate)
};

VideoTrackData EncodeVideo(const VideoSettings& settings);
// `samples` is the wanted length at kAudioRate; the track may hold a little more (AAC
// packets are whole, PCM is padded with silence to whole chunks).
AudioTrackData EncodeAudio(AudioKind kind, int64_t samples);

// Annex B byte stream (start codes) to NAL units with 4-byte lengths.
std::vector<uint8_t> AnnexBToLengthPrefixed(const uint8_t* data, size_t size);
// The 'avcC' payload from Annex B parameter sets; empty when SPS or PPS is missing.
std::vector<uint8_t> AvcConfigFromAnnexB(const uint8_t* data, size_t size);

} // namespace kestrel::mkrec
