#include "mkrec/MovieWriter.h"

#include "mkrec/BoxWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace kestrel::mkrec {

namespace {

constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;

struct Chunk {
    int Track;       // 0 video, 1 audio
    size_t First;    // first sample (AAC packet, PCM chunk index for PCM)
    double Time;     // start in seconds, for interleaving
    uint64_t Offset; // file offset, filled while laying out
    size_t Size;
};

struct TrackTables {
    uint32_t SampleCount = 0;
    uint32_t SampleDelta = 0;
    uint32_t SamplesPerChunk = 1;
    uint32_t FixedSize = 0;          // stsz sample size; 0 = one size per sample
    std::vector<uint32_t> Sizes;     // when FixedSize is 0
    bool HasKeys = false;            // write a sync-sample table
    std::vector<uint32_t> Keys;      // 1-based
    std::vector<uint32_t> Offsets;   // chunk offsets
    uint32_t MediaTimescale = 0;
    uint32_t MediaDuration = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void Matrix(BoxWriter& w) {
    const uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (uint32_t v : m) w.U32(v);
}

uint32_t Checked32(uint64_t v, const char* what) {
    if (v > UINT32_MAX) throw std::runtime_error(std::string(what) + " does not fit in 32 bits");
    return static_cast<uint32_t>(v);
}

std::vector<Chunk> PlanChunks(const MovieParts& p) {
    std::vector<Chunk> chunks;
    const VideoTrackData& v = *p.Video;
    for (size_t i = 0; i < v.Samples.size(); ++i) {
        chunks.push_back({0, i, static_cast<double>(i) * p.Settings.SttsDelta / kVideoTimescale, 0,
                          v.Samples[i].Data.size()});
    }
    const AudioTrackData& a = *p.Audio;
    if (a.Kind == AudioKind::Aac) {
        for (size_t i = 0; i < a.Packets.size(); ++i) {
            chunks.push_back({1, i, static_cast<double>(i) * kAacFrame / kAudioRate, 0,
                              a.Packets[i].Data.size()});
        }
    } else if (a.Kind == AudioKind::Pcm) {
        const size_t count = a.Pcm.size() / (2 * kPcmChunk);
        for (size_t i = 0; i < count; ++i) {
            chunks.push_back({1, i, static_cast<double>(i) * kPcmChunk / kAudioRate, 0,
                              2 * static_cast<size_t>(kPcmChunk)});
        }
    }
    // Interleaved in time order; video first where both start together.
    std::stable_sort(chunks.begin(), chunks.end(), [](const Chunk& l, const Chunk& r) {
        return l.Time < r.Time || (l.Time == r.Time && l.Track < r.Track);
    });
    return chunks;
}

TrackTables VideoTables(const MovieParts& p, const std::vector<Chunk>& chunks) {
    TrackTables t;
    const VideoTrackData& v = *p.Video;
    t.SampleCount = static_cast<uint32_t>(v.Samples.size());
    t.SampleDelta = static_cast<uint32_t>(p.Settings.SttsDelta);
    t.MediaTimescale = kVideoTimescale;
    t.MediaDuration = Checked32(uint64_t{t.SampleCount} * t.SampleDelta, "the video duration");
    // The video always has its sync-sample table, even when every frame is a key frame:
    // joining recordings extends it.
    t.HasKeys = true;
    for (size_t i = 0; i < v.Samples.size(); ++i) {
        t.Sizes.push_back(static_cast<uint32_t>(v.Samples[i].Data.size()));
        if (v.Samples[i].Key) t.Keys.push_back(static_cast<uint32_t>(i + 1));
    }
    for (const Chunk& c : chunks) {
        if (c.Track == 0) t.Offsets.push_back(Checked32(c.Offset, "a chunk offset"));
    }
    return t;
}

TrackTables AudioTables(const AudioTrackData& a, const std::vector<Chunk>& chunks) {
    TrackTables t;
    t.MediaTimescale = kAudioRate;
    t.MediaDuration = Checked32(static_cast<uint64_t>(a.MediaSamples), "the audio duration");
    if (a.Kind == AudioKind::Aac) {
        t.SampleCount = static_cast<uint32_t>(a.Packets.size());
        t.SampleDelta = kAacFrame;
        for (const MediaSample& s : a.Packets) t.Sizes.push_back(static_cast<uint32_t>(s.Data.size()));
    } else {
        t.SampleCount = static_cast<uint32_t>(a.MediaSamples);
        t.SampleDelta = 1;
        t.SamplesPerChunk = kPcmChunk;
        t.FixedSize = 2;
    }
    for (const Chunk& c : chunks) {
        if (c.Track == 1) t.Offsets.push_back(Checked32(c.Offset, "a chunk offset"));
    }
    return t;
}

struct Rates {
    uint32_t Buffer = 0;  // the largest sample, bytes
    uint32_t Maximum = 0; // bits in the fullest second
    uint32_t Average = 0; // bits per second over the track
};

// The rates of `samples` played `perSecond` to the second.
Rates MeasureRates(const std::vector<MediaSample>& samples, double perSecond) {
    Rates r;
    if (samples.empty() || perSecond <= 0.0)
        return r;
    const auto window = static_cast<size_t>(std::max(1.0, std::round(perSecond)));
    uint64_t total = 0;
    uint64_t inWindow = 0;
    uint64_t fullest = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint64_t size = samples[i].Data.size();
        r.Buffer = std::max(r.Buffer, static_cast<uint32_t>(size));
        total += size;
        inWindow += size;
        if (i >= window)
            inWindow -= samples[i - window].Data.size();
        fullest = std::max(fullest, inWindow);
    }
    const double seconds = static_cast<double>(samples.size()) / perSecond;
    r.Maximum = static_cast<uint32_t>(std::min<uint64_t>(fullest * 8, UINT32_MAX));
    r.Average = static_cast<uint32_t>(
        std::min(static_cast<double>(total) * 8.0 / seconds, static_cast<double>(UINT32_MAX)));
    return r;
}

void SampleEntry(BoxWriter& w, const MovieParts& p, bool video) {
    w.BeginFull("stsd");
    if (video && p.Damage == MovieDamage::NoDescription) {
        w.U32(0);
        w.End();
        return;
    }
    w.U32(1);
    if (video) {
        w.Begin("avc1");
        w.Zeros(6);
        w.U16(1); // data reference index
        w.Zeros(16);
        w.U16(static_cast<uint16_t>(p.Settings.Width));
        w.U16(static_cast<uint16_t>(p.Settings.Height));
        w.U32(0x00480000); // 72 dpi
        w.U32(0x00480000);
        w.U32(0);
        w.U16(1); // frames per sample
        w.Zeros(32);
        w.U16(0x0018);
        w.U16(0xFFFF);
        w.Begin("avcC");
        w.Bytes(p.Video->AvcC);
        w.End();
        if (p.PerFileRates) {
            const Rates r =
                MeasureRates(p.Video->Samples, 90000.0 / std::max(1, p.Settings.SttsDelta));
            w.Begin("btrt");
            w.U32(r.Buffer);
            w.U32(r.Maximum);
            w.U32(r.Average);
            w.End();
        }
        w.End();
    } else {
        const AudioTrackData& a = *p.Audio;
        w.Begin(a.Kind == AudioKind::Aac ? "mp4a" : "sowt");
        w.Zeros(6);
        w.U16(1);
        w.U16(0); // version
        w.U16(0); // revision
        w.U32(0); // vendor
        w.U16(1); // mono
        w.U16(16);
        w.U16(0);
        w.U16(0);
        w.U32(static_cast<uint32_t>(kAudioRate) << 16);
        if (a.Kind == AudioKind::Aac) {
            const auto asc = static_cast<uint8_t>(a.Config.size());
            w.BeginFull("esds");
            w.U8(0x03); // ES descriptor
            w.U8(static_cast<uint8_t>(3 + 2 + 13 + 2 + asc + 3));
            w.U16(0); // ES id
            w.U8(0);
            w.U8(0x04); // decoder configuration
            w.U8(static_cast<uint8_t>(13 + 2 + asc));
            w.U8(0x40); // AAC
            w.U8(0x15); // audio stream
            w.U8(0);    // buffer size, 24 bits
            w.U16(0x0600);
            const Rates r = p.PerFileRates ? MeasureRates(a.Packets, double(kAudioRate) / kAacFrame)
                                           : Rates{0, 64000, 64000};
            w.U32(r.Maximum);
            w.U32(r.Average);
            w.U8(0x05); // decoder specific information
            w.U8(asc);
            w.Bytes(a.Config);
            w.U8(0x06); // sync layer configuration
            w.U8(1);
            w.U8(0x02);
            w.End();
        }
        w.End();
    }
    w.End();
}

void SampleTables(BoxWriter& w, const MovieParts& p, const TrackTables& t, bool video) {
    const MovieDamage damage = video ? p.Damage : MovieDamage::None;
    const bool huge = damage == MovieDamage::HugeCounts;
    w.Begin("stbl");
    SampleEntry(w, p, video);
    w.BeginFull("stts");
    w.U32(1);
    if (damage != MovieDamage::CutTimeTable) {
        w.U32(t.SampleCount);
        w.U32(t.SampleDelta);
    }
    w.End();
    if (t.HasKeys) {
        w.BeginFull("stss");
        w.U32(static_cast<uint32_t>(t.Keys.size()));
        for (uint32_t k : t.Keys) w.U32(k);
        w.End();
    }
    w.BeginFull("stsc");
    w.U32(1);
    w.U32(1); // first chunk
    w.U32(t.SamplesPerChunk);
    w.U32(1); // sample description
    w.End();
    w.BeginFull("stsz");
    w.U32(t.FixedSize);
    w.U32(huge ? 0x3FFFFFFFu : t.SampleCount);
    if (t.FixedSize == 0) {
        for (uint32_t s : t.Sizes) w.U32(s);
    }
    w.End();
    w.BeginFull("stco");
    w.U32(huge ? 0x3FFFFFFFu : static_cast<uint32_t>(t.Offsets.size()));
    const uint32_t away = damage == MovieDamage::ChunksPastEnd ? 0x40000000u : 0u;
    for (uint32_t o : t.Offsets)
        w.U32(o + away);
    w.End();
    w.End();
}

void Track(BoxWriter& w, const MovieParts& p, const TrackTables& t, bool video, uint32_t created,
           uint32_t presented) {
    w.Begin("trak");
    w.BeginFull("tkhd", 0x00000F);
    w.U32(created);
    w.U32(created);
    w.U32(video ? 1 : 2); // track id
    w.U32(0);
    w.U32(presented);
    w.Zeros(8);
    w.U16(0); // layer
    w.U16(0); // alternate group
    w.U16(video ? 0 : 0x0100);
    w.U16(0);
    Matrix(w);
    w.U32(video ? static_cast<uint32_t>(p.Settings.Width) << 16 : 0);
    w.U32(video ? static_cast<uint32_t>(p.Settings.Height) << 16 : 0);
    w.End();

    w.Begin("edts");
    w.BeginFull("elst");
    w.U32(1);
    w.U32(presented);
    w.U32(0);          // media time
    w.U32(0x00010000); // rate 1.0
    w.End();
    w.End();

    w.Begin("mdia");
    w.BeginFull("mdhd");
    w.U32(created);
    w.U32(created);
    w.U32(t.MediaTimescale);
    w.U32(t.MediaDuration);
    w.U16(0x55C4); // undetermined language
    w.U16(0);
    w.End();
    w.BeginFull("hdlr");
    w.FourCC("mhlr");
    w.FourCC(video ? "vide" : "soun");
    w.Zeros(12);
    const char* name = video ? "VideoHandler" : "SoundHandler";
    w.U8(12);
    w.Text(name);
    w.End();
    w.Begin("minf");
    if (video) {
        w.BeginFull("vmhd", 1);
        w.U16(0x0040); // copy
        w.U16(0x8000);
        w.U16(0x8000);
        w.U16(0x8000);
        w.End();
    } else {
        w.BeginFull("smhd");
        w.U16(0);
        w.U16(0);
        w.End();
    }
    w.Begin("dinf");
    w.BeginFull("dref");
    w.U32(1);
    w.BeginFull("url ", 1); // the media is in this file
    w.End();
    w.End();
    w.End();
    SampleTables(w, p, t, video);
    w.End(); // minf
    w.End(); // mdia
    w.End(); // trak
}

std::vector<uint8_t> MovieBox(const MovieParts& p, const std::vector<Chunk>& chunks) {
    const auto created = static_cast<uint32_t>(
        static_cast<uint64_t>(ToEpochSeconds(p.Created) + kSecondsFrom1904To1970) & 0xFFFFFFFFu);
    const TrackTables video = VideoTables(p, chunks);
    const uint32_t presented = Checked32(
        uint64_t{video.MediaDuration} * kMovieTimescale / kVideoTimescale, "the movie duration");
    const bool audio = p.Audio->Kind != AudioKind::None;

    BoxWriter w;
    w.Begin("moov");
    w.BeginFull("mvhd");
    w.U32(created);
    w.U32(created);
    w.U32(kMovieTimescale);
    w.U32(presented);
    w.U32(0x00010000); // rate 1.0
    w.U16(0x0100);     // volume 1.0
    w.Zeros(10);
    Matrix(w);
    w.Zeros(24);
    w.U32(audio ? 3 : 2); // next track id
    w.End();
    if (p.Damage != MovieDamage::NoPictureTrack)
        Track(w, p, video, true, created, presented);
    if (audio) {
        const TrackTables sound = AudioTables(*p.Audio, chunks);
        // The sound track may hold a little more than the picture; its edit shows the
        // same length.
        const uint64_t soundLength = uint64_t{sound.MediaDuration} * kMovieTimescale / kAudioRate;
        Track(w, p, sound, false, created,
              static_cast<uint32_t>(std::min<uint64_t>(presented, soundLength)));
    }
    w.End();
    return w.Take();
}

class Output {
public:
    explicit Output(const std::filesystem::path& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_) throw std::runtime_error("cannot create " + path.string());
    }
    void Write(const uint8_t* data, size_t size) {
        if (size > 0 && std::fwrite(data, 1, size, file_.get()) != size) {
            throw std::runtime_error("cannot write the movie");
        }
    }
    void Write(const std::vector<uint8_t>& data) { Write(data.data(), data.size()); }
    void Close() {
        std::FILE* f = file_.release();
        if (std::fclose(f) != 0) throw std::runtime_error("cannot write the movie");
    }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
};

const uint8_t* ChunkData(const MovieParts& p, const Chunk& c) {
    if (c.Track == 0) return p.Video->Samples[c.First].Data.data();
    if (p.Audio->Kind == AudioKind::Aac) return p.Audio->Packets[c.First].Data.data();
    return p.Audio->Pcm.data() + c.First * 2 * kPcmChunk;
}

} // namespace

std::vector<uint8_t> FileTypeBox() {
    BoxWriter w;
    w.Begin("ftyp");
    w.FourCC("qt  ");
    w.U32(0x20050300);
    w.FourCC("qt  ");
    w.End();
    return w.Take();
}

void WriteMovie(const MovieParts& p, const std::filesystem::path& path) {
    if (p.Video == nullptr || p.Audio == nullptr) throw std::logic_error("a movie needs its tracks");
    const std::vector<uint8_t> ftyp = FileTypeBox();
    std::vector<Chunk> chunks = PlanChunks(p);
    uint64_t mediaStart = ftyp.size() + (p.Place == UdatPlace::BeforeMdat ? p.Udat.size() : 0) + 8;
    uint64_t offset = mediaStart + kMdatFiller;
    for (Chunk& c : chunks) {
        c.Offset = offset;
        offset += c.Size;
    }
    const uint32_t mdatSize = Checked32(offset - mediaStart + 8, "the media data");
    const std::vector<uint8_t> moov = MovieBox(p, chunks);

    Output out(path);
    out.Write(ftyp);
    if (p.Place == UdatPlace::BeforeMdat) out.Write(p.Udat);
    uint8_t head[8 + kMdatFiller] = {};
    PutU32(head, mdatSize);
    std::copy_n("mdat", 4, head + 4);
    if (p.Damage != MovieDamage::NoMediaBox) {
        out.Write(head, sizeof head);
        for (const Chunk& c : chunks)
            out.Write(ChunkData(p, c), c.Size);
    }
    out.Write(moov);
    if (p.Place == UdatPlace::AfterMoov) out.Write(p.Udat);
    out.Close();
}

} // namespace kestrel::mkrec
