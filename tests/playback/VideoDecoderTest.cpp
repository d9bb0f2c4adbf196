// The video decoder hands the stream to its single-threaded decoder at a key frame once
// steady playing is asked for, and back to its threaded one after a flush, without losing,
// repeating or damaging a picture on the way.
#include "PlayerFixture.h"

#include "playback/MediaSource.h"
#include "playback/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace kestrel::testing {
namespace {

using playback::kOk;

// The frame numbers painted into the pictures decoded from the source's current place,
// asking for steady playing after `steadyAfter` packets; `steadyAt` gets the picture count
// when the decoder first decodes steadily (-1 if never).
std::vector<int> Decode(playback::MediaSource& source, playback::VideoDecoder& decoder,
                        int steadyAfter, int& steadyAt) {
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<int> patterns;
    steadyAt = -1;
    int sent = 0;
    const auto take = [&] {
        while (decoder.Receive(frame) == kOk) {
            patterns.push_back(mkrec::DecodeFramePattern(frame->data[0], frame->linesize[0],
                                                         frame->width, frame->height));
            av_frame_unref(frame);
        }
    };
    while (source.ReadPacket(packet) == kOk) {
        if (packet->stream_index == source.VideoStreamIndex()) {
            if (sent++ == steadyAfter)
                decoder.SetSteady(true);
            EXPECT_EQ(kOk, decoder.Send(packet));
            if (steadyAt < 0 && decoder.DecodesSteadily())
                steadyAt = sent - 1;
            take();
        }
        av_packet_unref(packet);
    }
    decoder.Send(nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return patterns;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i)
        v.push_back(i);
    return v;
}

TEST(VideoDecoder, SteadyPlayingMovesToOneThreadAtAKeyFrameWithEveryPictureIntact) {
    TempFolder folder;
    const auto path = folder / "FILE0001.MOV";
    MakeTestMovie(path, 1.5, mkrec::AudioKind::None, 10); // 45 pictures, key frames 0, 10, ...
    std::shared_ptr<playback::MediaSource> source;
    ASSERT_EQ(kOk, playback::MediaSource::CreateFromPath(path, source));
    playback::VideoDecoder decoder;
    ASSERT_EQ(kOk, decoder.Open(source->Stream(source->VideoStreamIndex()), false));

    int steadyAt = 0;
    EXPECT_EQ(Range(0, 45), Decode(*source, decoder, 13, steadyAt));
    EXPECT_EQ(20, steadyAt); // asked at packet 13: the next key frame

    // A seek starts over with the threaded decoder, which may be asked again at once.
    decoder.Flush();
    EXPECT_FALSE(decoder.DecodesSteadily());
    ASSERT_EQ(kOk, source->Seek(10'000'000)); // one second: the key frame of picture 30
    EXPECT_EQ(Range(30, 45), Decode(*source, decoder, 0, steadyAt));
    EXPECT_EQ(0, steadyAt);
}

} // namespace
} // namespace kestrel::testing
