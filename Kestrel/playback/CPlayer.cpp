#include "playback/CPlayer.h"

#include "platform/AppMessages.h"

#include <chrono>

namespace kestrel::playback {

MediaResult CPlayer::CreateInstance(VideoWindow* video, std::unique_ptr<CPlayer>& player) {
    player.reset(new CPlayer(video));
    return kOk;
}

CPlayer::~CPlayer() {
    CloseSession();
}

MediaResult CPlayer::OpenRecording(const std::filesystem::path& path) {
    CloseSession();
    std::lock_guard lock(lock_);
    session_ = std::make_shared<MediaSession>();
    eventThread_ = std::thread([this, session = session_] { EventLoop(session); });
    state_ = kReady;

    MediaResult r = MediaSource::CreateFromPath(path, source_);
    if (Succeeded(r))
        r = BuildSessionTopology();
    if (Failed(r)) {
        state_ = kClosed;
        return r;
    }
    // Still under the lock: the topology events wait until the state says "opening".
    state_ = kOpenPending;
    return kOk;
}

MediaResult CPlayer::BuildSessionTopology() {
    Topology topology;
    const MediaResult r = BuildPlaybackTopology(source_->CreatePresentationDescriptor(), topology);
    if (Failed(r))
        return r;
    return session_->SetTopology(std::move(topology));
}

MediaResult CPlayer::BuildPlaybackTopology(const std::vector<StreamDescriptor>& streams,
                                           Topology& topology) {
    topology.Source = source_;
    topology.HardwareDecoding = hardwareDecoding_;
    MediaResult r = kInvalidMediaType;
    for (const StreamDescriptor& stream : streams) {
        if (!stream.Selected)
            continue;
        TopologyBranch branch;
        branch.StreamIndex = stream.Index;
        branch.Type = stream.Type;
        if (stream.Type == MajorType::Video) {
            activate_ = std::make_shared<CMFActivate>(video_);
            branch.Activate = activate_;
        } else if (stream.Type == MajorType::Audio) {
            // Without a usable audio device the sound is left out and the video plays.
            if (audioDisabled_)
                continue;
        } else {
            return kInvalidMediaType;
        }
        topology.Branches.push_back(std::move(branch));
        r = kOk;
    }
    return r;
}

MediaResult CPlayer::Play() {
    std::lock_guard lock(lock_);
    if (state_ != kPaused && state_ != kStopped)
        return kInvalidRequest;
    if (!session_ || !source_)
        return kUnexpected;
    if (auto presenter = session_->GetVideoPresenter())
        presenter->SetProcessOnSampleFree(1);
    const MediaResult r = session_->Start(std::nullopt);
    if (Succeeded(r))
        state_ = kStarted;
    return r;
}

MediaResult CPlayer::StartAt(int64_t position) {
    std::lock_guard lock(lock_);
    if (!session_)
        return kInvalidPointer;
    if (!display_)
        return kOk;
    MediaResult r = session_->Stop();
    if (Failed(r))
        return r;
    display_->SetProcessOnSampleFree(0);
    r = session_->Start(position);
    if (Succeeded(r))
        state_ = kStarted;
    return r;
}

MediaResult CPlayer::SetVolume(int value) {
    std::lock_guard lock(lock_);
    if (!audioVolume_)
        return kInvalidPointer;
    const float level = static_cast<float>(value) / 65535.0f;
    std::vector<float> volumes(static_cast<size_t>(audioVolume_->GetChannelCount()), level);
    const MediaResult r = audioVolume_->SetAllVolumes(volumes);
    if (Succeeded(r))
        volume_ = value;
    return r;
}

MediaResult CPlayer::CloseSession() {
    std::shared_ptr<MediaSession> session;
    {
        std::lock_guard lock(lock_);
        display_.reset();
        session = session_;
        if (session)
            state_ = kClosing;
    }
    bool closeAsked = true;
    if (session) {
        closeAsked = Succeeded(session->Close());
        if (closeAsked)
            WaitForClose(kCloseTimeoutMs);
    }
    // Shut down even when the close never came: the session's thread is ended here.
    if (session)
        session->Shutdown();
    if (eventThread_.joinable())
        eventThread_.join();
    std::lock_guard lock(lock_);
    if (source_)
        source_->Shutdown();
    source_.reset();
    session_.reset();
    clock_ = nullptr;
    rateControl_.reset();
    mixerBitmap_.reset();
    audioVolume_.reset();
    activate_.reset();
    state_ = kClosed;
    {
        std::lock_guard closeLock(closeLock_);
        closed_ = false;
    }
    return closeAsked ? kOk : kFail;
}

void CPlayer::SetHardwareDecoding(bool on) {
    std::lock_guard lock(lock_);
    hardwareDecoding_ = on;
}

int CPlayer::GetState() const {
    std::lock_guard lock(lock_);
    return state_;
}

void CPlayer::SetState(int state) {
    std::lock_guard lock(lock_);
    state_ = state;
}

int CPlayer::AudioDisabled() const {
    std::lock_guard lock(lock_);
    return audioDisabled_;
}

int CPlayer::Volume() const {
    std::lock_guard lock(lock_);
    return volume_;
}

void CPlayer::SetProcessOnSampleFree(int flag) {
    std::lock_guard lock(lock_);
    if (display_)
        display_->SetProcessOnSampleFree(flag);
}

std::shared_ptr<MediaSession> CPlayer::Session() const {
    std::lock_guard lock(lock_);
    return session_;
}

std::shared_ptr<MediaSource> CPlayer::Source() const {
    std::lock_guard lock(lock_);
    return source_;
}

const PresentationClock* CPlayer::Clock() const {
    std::lock_guard lock(lock_);
    return clock_;
}

std::shared_ptr<MediaSession> CPlayer::RateControl() const {
    std::lock_guard lock(lock_);
    return rateControl_;
}

std::shared_ptr<VideoPresenter> CPlayer::DisplayControl() const {
    std::lock_guard lock(lock_);
    return display_;
}

std::shared_ptr<VideoPresenter> CPlayer::MixerBitmap() const {
    std::lock_guard lock(lock_);
    return mixerBitmap_;
}

std::shared_ptr<AudioRenderer> CPlayer::AudioVolume() const {
    std::lock_guard lock(lock_);
    return audioVolume_;
}

void CPlayer::EventLoop(std::shared_ptr<MediaSession> session) {
    for (;;) {
        MediaEvent event;
        if (Failed(session->Events().GetEvent(event)))
            return;
        if (event.Type == MediaEventType::SessionClosed) {
            SignalClose();
            return;
        }
        Invoke(event);
    }
}

void CPlayer::Invoke(const MediaEvent& event) {
    {
        std::lock_guard lock(lock_);
        if (state_ == kClosing)
            return;
        if (Failed(event.Status)) {
            // A topology that cannot be played (no usable audio device) is tried once more
            // without its sound.
            if (event.Type == MediaEventType::SessionTopologySet && !audioDisabled_ && session_ &&
                source_) {
                audioDisabled_ = 1;
                BuildSessionTopology();
            }
            return;
        }
    }
    switch (event.Type) {
    case MediaEventType::SessionTopologySet:
        HandleTopologySet(event);
        break;
    case MediaEventType::SessionPaused:
        HandleSessionPaused(event);
        break;
    case MediaEventType::SessionStopped:
        HandleSessionStopped(event);
        break;
    case MediaEventType::SessionTopologyStatus:
        HandleTopologyReady(event);
        break;
    case MediaEventType::NewPresentation:
        HandleNewPresentation(event);
        break;
    case MediaEventType::EndOfPresentation:
        HandleEndOfPresentation(event);
        break;
    default:
        HandleOtherEvent(event);
        break;
    }
}

void CPlayer::HandleTopologySet(const MediaEvent&) {
    std::lock_guard lock(lock_);
    if (!session_)
        return;
    clock_ = session_->GetClock();
    rateControl_ = session_;
}

void CPlayer::HandleTopologyReady(const MediaEvent& event) {
    if (event.TopologyStatus != kTopologyStatusReady)
        return;
    {
        std::lock_guard lock(lock_);
        if (!session_)
            return;
        display_ = session_->GetVideoPresenter();
        mixerBitmap_ = display_;
        audioVolume_ = session_->GetAudioRenderer();
        state_ = kStopped;
    }
    PostToWindow(WM_APP_MEDIA_READY, event);
}

void CPlayer::HandleEndOfPresentation(const MediaEvent& event) {
    SetState(kStopped);
    std::this_thread::sleep_for(std::chrono::milliseconds(kEndMessageDelayMs));
    PostToWindow(WM_APP_MEDIA_ENDED, event);
}

void CPlayer::HandleNewPresentation(const MediaEvent& event) {
    std::lock_guard lock(lock_);
    if (!session_)
        return;
    Topology topology;
    if (Failed(BuildPlaybackTopology(event.Presentation, topology)))
        return;
    if (Succeeded(session_->SetTopology(std::move(topology))))
        state_ = kOpenPending;
}

void CPlayer::HandleSessionStopped(const MediaEvent&) {}

void CPlayer::HandleSessionPaused(const MediaEvent& event) {
    SetVolume(Volume());
    PostToWindow(WM_APP_MEDIA_PAUSED, event);
}

void CPlayer::HandleOtherEvent(const MediaEvent&) {}

void CPlayer::PostToWindow(int message, const MediaEvent& event) {
    if (notify_ != nullptr)
        notify_->PostAppMessage(message, static_cast<intptr_t>(event.Type), 0);
}

void CPlayer::SignalClose() {
    std::lock_guard lock(closeLock_);
    closed_ = true;
    closeSignal_.notify_all();
}

bool CPlayer::WaitForClose(int timeoutMs) {
    std::unique_lock lock(closeLock_);
    const bool signalled =
        closeSignal_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closed_; });
    closed_ = false; // auto-reset
    return signalled;
}

} // namespace kestrel::playback
