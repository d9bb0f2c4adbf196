#include "playback/MediaSession.h"

#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace kestrel::playback {
namespace {

MediaEvent Event(MediaEventType type, MediaResult status = kOk) {
    MediaEvent e;
    e.Type = type;
    e.Status = status;
    return e;
}

} // namespace

MediaSession::CommandHold::CommandHold(MediaSession& session) : session_(session) {
    std::lock_guard lock(session_.lock_);
    ++session_.holds_;
}

MediaSession::CommandHold::~CommandHold() {
    std::lock_guard lock(session_.lock_);
    --session_.holds_;
    session_.wake_.notify_all();
}

MediaSession::MediaSession() : packet_(av_packet_alloc()), frame_(av_frame_alloc()) {
    thread_ = std::thread([this] { ThreadMain(); });
}

MediaSession::~MediaSession() {
    Shutdown();
    av_packet_free(&packet_);
    av_frame_free(&frame_);
}

MediaResult MediaSession::Post(Command command) {
    std::lock_guard lock(lock_);
    if (shutdown_ || closed_)
        return kShutdown;
    commands_.push_back(std::move(command));
    wake_.notify_all();
    return kOk;
}

void MediaSession::Wake() {
    std::lock_guard lock(lock_);
    ++wakeCount_;
    streamReady_ = true;
    wake_.notify_all();
}

MediaResult MediaSession::SetTopology(Topology topology) {
    if (!topology.Source)
        return kInvalidPointer;
    Command c;
    c.Type = CommandType::SetTopology;
    c.Topo = std::move(topology);
    return Post(std::move(c));
}

MediaResult MediaSession::Start(std::optional<int64_t> position) {
    Command c;
    c.Type = CommandType::Start;
    c.Position = position;
    // The clock learns of a start from a position when it is asked for, so that readers of
    // the position need not wait for the preroll.
    if (position)
        clock_.ExpectStart(*position);
    const MediaResult r = Post(std::move(c));
    if (position && Failed(r))
        clock_.CancelExpectedStart();
    return r;
}

MediaResult MediaSession::Pause() {
    Command c;
    c.Type = CommandType::Pause;
    return Post(std::move(c));
}

MediaResult MediaSession::Stop() {
    Command c;
    c.Type = CommandType::Stop;
    return Post(std::move(c));
}

MediaResult MediaSession::SetRate(bool thin, float rate) {
    if (!VideoPresenter::IsRateSupported(rate))
        return kInvalidArg;
    {
        std::lock_guard lock(lock_);
        rate_ = rate;
    }
    Command c;
    c.Type = CommandType::SetRate;
    c.Rate = rate;
    c.Thin = thin;
    return Post(std::move(c));
}

float MediaSession::GetRate() const {
    std::lock_guard lock(lock_);
    return rate_;
}

MediaResult MediaSession::Close() {
    Command c;
    c.Type = CommandType::Close;
    return Post(std::move(c));
}

void MediaSession::Shutdown() {
    {
        std::lock_guard lock(lock_);
        shutdown_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
    ReleaseTopology(); // the thread has ended: its state is this thread's now
    events_.Shutdown();
}

std::shared_ptr<VideoPresenter> MediaSession::GetVideoPresenter() const {
    std::lock_guard lock(lock_);
    return presenter_;
}

std::shared_ptr<AudioRenderer> MediaSession::GetAudioRenderer() const {
    std::lock_guard lock(lock_);
    return audio_;
}

void MediaSession::Notify(int32_t eventCode, int64_t param1, int64_t) {
    if (eventCode == kEventComplete) {
        Command c;
        c.Type = CommandType::RendererComplete;
        Post(std::move(c));
    } else if (eventCode == kEventErrorAbort) {
        events_.Post(Event(MediaEventType::Error, static_cast<MediaResult>(param1)));
    }
}

void MediaSession::ThreadMain() {
    for (;;) {
        std::optional<Command> command;
        uint64_t wakeSeen = 0;
        {
            std::unique_lock lock(lock_);
            for (;;) {
                if (shutdown_)
                    return;
                if (!commands_.empty() && holds_ == 0) {
                    command = std::move(commands_.front());
                    commands_.pop_front();
                    break;
                }
                if (state_ == State::Running && streamReady_ && commands_.empty())
                    break;
                wake_.wait(lock);
            }
            wakeSeen = wakeCount_;
        }
        if (command) {
            Execute(*command);
            std::lock_guard lock(lock_);
            streamReady_ = true;
            continue;
        }
        if (!StreamStep()) {
            std::lock_guard lock(lock_);
            // A wake that came while this step ran means there is something to do.
            if (wakeCount_ == wakeSeen)
                streamReady_ = false;
        }
    }
}

void MediaSession::Execute(Command& command) {
    if (state_ == State::Closed) {
        if (command.Type == CommandType::Start && command.Position)
            clock_.CancelExpectedStart();
        return;
    }
    switch (command.Type) {
    case CommandType::SetTopology:
        ExecuteSetTopology(command.Topo);
        break;
    case CommandType::Start:
        ExecuteStart(command.Position);
        break;
    case CommandType::Pause:
        ExecutePause();
        break;
    case CommandType::Stop:
        ExecuteStop();
        break;
    case CommandType::SetRate:
        ExecuteSetRate(command.Thin, command.Rate);
        break;
    case CommandType::Close:
        ExecuteClose();
        break;
    case CommandType::RendererComplete:
        if (state_ == State::Running) {
            state_ = State::Ended;
            clock_.Pause(); // the time stays at the end
            events_.Post(Event(MediaEventType::EndOfPresentation));
        }
        break;
    }
}

void MediaSession::ExecuteSetTopology(Topology& topology) {
    ReleaseTopology();
    source_ = topology.Source;
    std::shared_ptr<VideoPresenter> presenter;
    std::shared_ptr<AudioRenderer> audio;
    MediaResult r = kOk;
    for (const TopologyBranch& branch : topology.Branches) {
        const AVStream* stream = source_->Stream(branch.StreamIndex);
        if (stream == nullptr) {
            r = kInvalidArg;
            break;
        }
        if (branch.Type == MajorType::Video && branch.Activate) {
            r = branch.Activate->ActivateObject(presenter);
            if (Failed(r))
                break;
            decoder_ = std::make_unique<VideoDecoder>();
            r = decoder_->Open(stream, topology.HardwareDecoding);
            if (Failed(r))
                break;
            r = presenter->InitServicePointers(&mixer_, &clock_, this);
            if (Failed(r))
                break;
            const AVCodecParameters* par = stream->codecpar;
            const AVRational rate =
                stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
            VideoFormat format{par->width,
                               par->height,
                               rate.num,
                               rate.den,
                               par->sample_aspect_ratio.num > 0 ? par->sample_aspect_ratio.num : 1,
                               par->sample_aspect_ratio.den > 0 ? par->sample_aspect_ratio.den : 1};
            r = presenter->SetMediaType(format);
            if (Failed(r))
                break;
            r = presenter->ProcessMessage(VideoPresenter::Message::BeginStreaming);
            if (Failed(r))
                break;
            videoIndex_ = branch.StreamIndex;
        } else if (branch.Type == MajorType::Audio) {
            audio = std::make_shared<AudioRenderer>();
            r = audio->Open(stream);
            if (Failed(r))
                break;
            audioIndex_ = branch.StreamIndex;
        } else {
            r = kInvalidMediaType;
            break;
        }
    }
    branches_ = topology.Branches;
    if (Failed(r)) {
        if (presenter)
            presenter->Shutdown();
        audio.reset();
        ReleaseTopology();
        events_.Post(Event(MediaEventType::SessionTopologySet, r));
        return;
    }
    mixer_.SetWakeCallback([this] { Wake(); });
    {
        std::lock_guard lock(lock_);
        presenter_ = presenter;
        audio_ = audio;
    }
    state_ = State::Stopped;
    events_.Post(Event(MediaEventType::SessionTopologySet));
    if (presenter)
        Preroll(0);
    MediaEvent ready = Event(MediaEventType::SessionTopologyStatus);
    ready.TopologyStatus = kTopologyStatusReady;
    events_.Post(std::move(ready));
}

void MediaSession::ReleaseTopology() {
    std::shared_ptr<VideoPresenter> presenter;
    std::shared_ptr<AudioRenderer> audio;
    {
        std::lock_guard lock(lock_);
        presenter.swap(presenter_);
        audio.swap(audio_);
    }
    mixer_.SetWakeCallback(nullptr);
    if (presenter) {
        presenter->ProcessMessage(VideoPresenter::Message::EndStreaming);
        presenter->ReleaseServicePointers();
    }
    for (TopologyBranch& branch : branches_) {
        if (branch.Activate)
            branch.Activate->ShutdownObject();
    }
    branches_.clear();
    if (audio)
        audio->Close();
    ClearPending();
    mixer_.Flush();
    decoder_.reset();
    source_.reset();
    videoIndex_ = audioIndex_ = -1;
    state_ = State::Empty;
}

void MediaSession::ClearPending() {
    for (AVFrame*& f : pending_)
        av_frame_free(&f);
    pending_.clear();
}

void MediaSession::FlushPipeline() {
    std::shared_ptr<VideoPresenter> presenter;
    std::shared_ptr<AudioRenderer> audio;
    {
        std::lock_guard lock(lock_);
        presenter = presenter_;
        audio = audio_;
    }
    if (presenter)
        presenter->ProcessMessage(VideoPresenter::Message::Flush);
    mixer_.Flush();
    ClearPending();
    if (decoder_)
        decoder_->Flush();
    if (audio) {
        audio->Pause();
        audio->Flush();
    }
    videoEnded_ = false;
    endOfStreamSent_ = false;
}

void MediaSession::Preroll(int64_t position) {
    FlushPipeline();
    if (!source_)
        return;
    source_->Seek(position);
    if (decoder_)
        decoder_->Flush();
    startFrom_ = position;
    std::shared_ptr<VideoPresenter> presenter = GetVideoPresenter();
    if (!presenter || !decoder_)
        return;

    // Decode forward from the key frame; the first picture whose time span reaches past the
    // position is the one to show. Past the end, the last picture is shown.
    AVFrame* target = nullptr;
    AVFrame* last = nullptr;
    while (target == nullptr) {
        while (!pending_.empty()) {
            AVFrame* f = pending_.front();
            pending_.pop_front();
            if (decoder_->FrameTime(f) + decoder_->FrameDuration(f) > position) {
                target = f;
                break;
            }
            av_frame_free(&last);
            last = f;
        }
        if (target != nullptr)
            break;
        if (videoEnded_) {
            target = std::exchange(last, nullptr);
            break;
        }
        DecodeNext();
    }
    av_frame_free(&last);
    if (target == nullptr)
        return;
    if (Succeeded(mixer_.ProcessInput(target, decoder_->FrameTime(target),
                                      decoder_->FrameDuration(target)))) {
        presenter->ProcessMessage(VideoPresenter::Message::ProcessInputNotify);
    }
    av_frame_free(&target);
}

void MediaSession::ExecuteStart(std::optional<int64_t> position) {
    if (state_ == State::Empty) {
        if (position)
            clock_.CancelExpectedStart();
        events_.Post(Event(MediaEventType::SessionStarted, kInvalidRequest));
        return;
    }
    std::shared_ptr<VideoPresenter> presenter = GetVideoPresenter();
    std::shared_ptr<AudioRenderer> audio = GetAudioRenderer();
    if (!position && state_ == State::Running) {
        events_.Post(Event(MediaEventType::SessionStarted));
        return;
    }
    if (!position && state_ == State::Paused) {
        clock_.Resume();
        if (presenter)
            presenter->OnClockRestart();
    } else {
        const int64_t from = position.value_or(0);
        clock_.Stop();
        if (presenter)
            presenter->OnClockStop();
        Preroll(from);
        clock_.Start(from);
        if (presenter)
            presenter->OnClockStart(from);
    }
    if (audio && audioActive_)
        audio->Start();
    // Playing at the normal rate needs no more than one decoding thread keeps up with.
    if (decoder_)
        decoder_->SetSteady(normalRate_);
    state_ = State::Running;
    events_.Post(Event(MediaEventType::SessionStarted));
}

void MediaSession::ExecutePause() {
    if (state_ != State::Running && state_ != State::Paused && state_ != State::Ended) {
        events_.Post(Event(MediaEventType::SessionPaused, kInvalidRequest));
        return;
    }
    clock_.Pause();
    if (auto presenter = GetVideoPresenter())
        presenter->OnClockPause();
    if (auto audio = GetAudioRenderer())
        audio->Pause();
    state_ = State::Paused;
    events_.Post(Event(MediaEventType::SessionPaused));
}

void MediaSession::ExecuteStop() {
    if (state_ == State::Empty) {
        events_.Post(Event(MediaEventType::SessionStopped, kInvalidRequest));
        return;
    }
    clock_.Stop();
    if (auto presenter = GetVideoPresenter())
        presenter->OnClockStop();
    FlushPipeline();
    state_ = State::Stopped;
    events_.Post(Event(MediaEventType::SessionStopped));
}

void MediaSession::ExecuteSetRate(bool thin, float rate) {
    clock_.SetRate(rate);
    if (auto presenter = GetVideoPresenter())
        presenter->OnClockSetRate(rate);
    if (decoder_)
        decoder_->SetThinning(thin);
    normalRate_ = rate == 1.0f;
    // Faster (or backwards) needs the decoder's threads again.
    if (decoder_ && state_ == State::Running)
        decoder_->SetSteady(normalRate_);
    // Sound is played at the normal rate only; at any other rate it is left out.
    const bool active = rate == 1.0f;
    if (auto audio = GetAudioRenderer(); audio && active != audioActive_) {
        if (active && state_ == State::Running) {
            audio->Start();
        } else if (!active) {
            audio->Pause();
            audio->Flush();
        }
    }
    audioActive_ = active;
    events_.Post(Event(MediaEventType::SessionRateChanged));
}

void MediaSession::ExecuteClose() {
    clock_.Stop();
    if (auto presenter = GetVideoPresenter())
        presenter->OnClockStop();
    ReleaseTopology();
    state_ = State::Closed;
    {
        std::lock_guard lock(lock_);
        closed_ = true;
        commands_.clear();
    }
    events_.Post(Event(MediaEventType::SessionClosed));
}

bool MediaSession::StreamStep() {
    std::shared_ptr<VideoPresenter> presenter = GetVideoPresenter();
    if (!presenter) {
        if (videoEnded_)
            return false;
        DecodeNext(); // sound only: nothing paces it but the device queue
        return true;
    }
    if (!pending_.empty()) {
        if (mixer_.HasInput()) {
            // An input notification: the mixer's frame may go into a sample that came back.
            presenter->ProcessMessage(VideoPresenter::Message::ProcessInputNotify);
            if (mixer_.HasInput())
                return false;
        }
        AVFrame* f = pending_.front();
        if (Succeeded(mixer_.ProcessInput(f, decoder_->FrameTime(f), decoder_->FrameDuration(f)))) {
            pending_.pop_front();
            av_frame_free(&f);
            presenter->ProcessMessage(VideoPresenter::Message::ProcessInputNotify);
        }
        return true;
    }
    if (videoEnded_) {
        if (!endOfStreamSent_) {
            endOfStreamSent_ = true;
            presenter->ProcessMessage(VideoPresenter::Message::EndOfStream);
        }
        return false;
    }
    DecodeNext();
    return true;
}

void MediaSession::DecodeNext() {
    if (!source_ || videoEnded_)
        return;
    const MediaResult r = source_->ReadPacket(packet_);
    if (r != kOk) {
        if (decoder_) {
            decoder_->Send(nullptr);
            while (decoder_->Receive(frame_) == kOk)
                pending_.push_back(av_frame_clone(frame_));
            av_frame_unref(frame_);
        }
        videoEnded_ = true;
        return;
    }
    if (packet_->stream_index == videoIndex_ && decoder_) {
        // A decoder that still holds pictures may refuse the packet: take them out and offer
        // it once more, so that no picture of the stream is lost.
        for (int offer = 0; offer < 2; ++offer) {
            const MediaResult sent = decoder_->Send(packet_);
            while (decoder_->Receive(frame_) == kOk) {
                pending_.push_back(av_frame_clone(frame_));
                av_frame_unref(frame_);
            }
            if (sent != kNotAccepting)
                break;
        }
    } else if (packet_->stream_index == audioIndex_ && audioActive_) {
        if (auto audio = GetAudioRenderer())
            audio->Render(packet_, startFrom_);
    }
    av_packet_unref(packet_);
}

} // namespace kestrel::playback
