#include "playback/VideoPresenter.h"

#include <utility>

namespace kestrel::playback {

VideoPresenter::VideoPresenter(VideoWindow* window)
    : scheduler_([this](const SamplePtr& s) { return PresentSample(s); }) {
    presentEngine_.SetVideoWindow(window);
    // Until the engine places the picture it fills the window.
    if (window != nullptr) {
        int width = 0;
        int height = 0;
        window->ClientSize(width, height);
        presentEngine_.SetDestinationRect(Rect{0, 0, width, height});
    }
}

VideoPresenter::~VideoPresenter() {
    Shutdown();
}

MediaResult VideoPresenter::InitServicePointers(VideoMixer* mixer, const PresentationClock* clock,
                                                PresenterEventSink* sink) {
    std::lock_guard lock(objectLock_);
    if (mixer == nullptr)
        return kInvalidPointer;
    mixer_ = mixer;
    clock_ = clock;
    sink_ = sink;
    renderState_ = RenderState::Stopped;
    return kOk;
}

MediaResult VideoPresenter::ReleaseServicePointers() {
    scheduler_.StopScheduler();
    std::lock_guard lock(objectLock_);
    mixer_ = nullptr;
    clock_ = nullptr;
    sink_ = nullptr;
    return kOk;
}

void VideoPresenter::Shutdown() {
    scheduler_.StopScheduler();
    std::lock_guard lock(objectLock_);
    renderState_ = RenderState::Shutdown;
    mixer_ = nullptr;
    clock_ = nullptr;
    sink_ = nullptr;
    stepSamples_.clear();
    stepScheduled_.reset();
    std::lock_guard poolLock(poolLock_);
    pool_.Clear();
}

void VideoPresenter::DisplaySize(const VideoFormat& format, int& width, int& height) {
    width = format.Width;
    height = format.Height;
    const int64_t n = format.PixelAspectNumerator;
    const int64_t d = format.PixelAspectDenominator;
    if (n <= 0 || d <= 0)
        return;
    // Square pixels: widen for wide pixels, heighten for tall ones.
    if (n > d)
        width = static_cast<int>(width * n / d);
    if (n < d)
        height = static_cast<int>(height * d / n);
}

MediaResult VideoPresenter::CreateSamples(std::vector<SamplePtr> reuse) {
    std::vector<SamplePtr> samples;
    std::lock_guard poolLock(poolLock_);
    // Samples of the output size that nothing holds any more are as good as new ones: a
    // flush (every seek has two) stamps them for the new generation instead of allocating
    // and clearing whole pictures again.
    for (SamplePtr& sample : reuse) {
        if (samples.size() < static_cast<size_t>(kPoolSize) && sample.use_count() == 1 &&
            sample->Width == outWidth_ && sample->Height == outHeight_) {
            sample->Token = token_;
            samples.push_back(std::move(sample));
        }
    }
    while (samples.size() < static_cast<size_t>(kPoolSize)) {
        auto sample = std::make_shared<VideoSample>();
        sample->Allocate(outWidth_, outHeight_);
        sample->Token = token_;
        samples.push_back(std::move(sample));
    }
    return pool_.Initialize(std::move(samples));
}

MediaResult VideoPresenter::SetMediaType(const VideoFormat& format) {
    std::lock_guard lock(objectLock_);
    if (renderState_ == RenderState::Shutdown)
        return kShutdown;
    if (format.Width <= 0 || format.Height <= 0)
        return kInvalidMediaType;
    if (format_ && *format_ == format)
        return kOk;
    {
        std::lock_guard poolLock(poolLock_);
        ++token_;
        pool_.Clear();
    }
    format_ = format;
    DisplaySize(format, outWidth_, outHeight_);
    presentEngine_.SetNativeSize(outWidth_, outHeight_);
    if (mixer_ != nullptr)
        mixer_->SetOutputSize(outWidth_, outHeight_);
    const MediaResult r = CreateSamples();
    if (Failed(r))
        return r;
    scheduler_.SetFrameRate(format.FrameRateNumerator, format.FrameRateDenominator);
    return kOk;
}

MediaResult VideoPresenter::ProcessMessage(Message message, int64_t param) {
    switch (message) {
    case Message::Flush:
        Flush();
        return kOk;
    case Message::BeginStreaming: {
        const PresentationClock* clock;
        {
            std::lock_guard lock(objectLock_);
            if (renderState_ == RenderState::Shutdown)
                return kShutdown;
            clock = clock_;
        }
        if (scheduler_.IsRunning())
            return kOk;
        return scheduler_.StartScheduler(clock);
    }
    case Message::EndStreaming:
        return scheduler_.StopScheduler();
    default:
        break;
    }
    std::lock_guard lock(objectLock_);
    if (renderState_ == RenderState::Shutdown)
        return kShutdown;
    switch (message) {
    case Message::InvalidateMediaType:
        format_.reset();
        return kOk;
    case Message::ProcessInputNotify:
        if (!format_)
            return kInvalidMediaType;
        sampleNotify_ = true;
        return ProcessOutputLoop();
    case Message::EndOfStream:
        endStreaming_ = true;
        break;
    case Message::Step:
        stepsLeft_ = param;
        stepState_ = FrameStep::WaitingStart;
        if (renderState_ == RenderState::Started) {
            stepState_ = FrameStep::Pending;
            return StartFrameStep();
        }
        return kOk;
    case Message::CancelStep:
        return CancelFrameStep();
    default:
        return kOk;
    }
    // End of stream: checked without the object lock held by this frame's callers.
    CheckEndOfStream();
    return kOk;
}

MediaResult VideoPresenter::OnClockStart(int64_t) {
    {
        std::lock_guard lock(objectLock_);
        if (renderState_ == RenderState::Shutdown)
            return kShutdown;
        renderState_ = RenderState::Started;
        if (stepState_ == FrameStep::WaitingStart) {
            stepState_ = FrameStep::Pending;
            StartFrameStep();
        }
    }
    scheduler_.Wake();
    std::lock_guard lock(objectLock_);
    return sampleNotify_ ? ProcessOutputLoop() : kOk;
}

MediaResult VideoPresenter::OnClockRestart() {
    return OnClockStart(0);
}

MediaResult VideoPresenter::OnClockPause() {
    std::lock_guard lock(objectLock_);
    if (renderState_ == RenderState::Shutdown)
        return kShutdown;
    renderState_ = RenderState::Paused;
    return kOk;
}

MediaResult VideoPresenter::OnClockStop() {
    {
        std::lock_guard lock(objectLock_);
        if (renderState_ == RenderState::Shutdown)
            return kShutdown;
        renderState_ = RenderState::Stopped;
    }
    Flush();
    std::lock_guard lock(objectLock_);
    if (stepState_ != FrameStep::None)
        CancelFrameStep();
    return kOk;
}

MediaResult VideoPresenter::OnClockSetRate(float rate) {
    if (!IsRateSupported(rate))
        return kInvalidArg;
    std::lock_guard lock(objectLock_);
    if (renderState_ == RenderState::Shutdown)
        return kShutdown;
    rate_ = rate;
    scheduler_.SetClockRate(rate);
    return kOk;
}

MediaResult VideoPresenter::GetNativeVideoSize(int& width, int& height) const {
    std::lock_guard lock(objectLock_);
    if (!format_)
        return kUnexpected;
    width = outWidth_;
    height = outHeight_;
    return kOk;
}

MediaResult VideoPresenter::SetVideoPosition(const NormalizedRect* source,
                                             const Rect* destination) {
    if (source == nullptr && destination == nullptr)
        return kInvalidPointer;
    if (source != nullptr &&
        (source->Left < 0.0f || source->Top < 0.0f || source->Right > 1.0f ||
         source->Bottom > 1.0f || source->Left > source->Right || source->Top > source->Bottom)) {
        return kInvalidArg;
    }
    if (destination != nullptr)
        presentEngine_.SetDestinationRect(*destination);
    return kOk;
}

MediaResult VideoPresenter::GetVideoPosition(Rect& destination) const {
    destination = presentEngine_.DestinationRect();
    return kOk;
}

MediaResult VideoPresenter::SetAspectRatioMode(int mode) {
    std::lock_guard lock(objectLock_);
    aspectMode_ = mode;
    return kOk;
}

MediaResult VideoPresenter::RepaintVideo() {
    // The object lock keeps the sample from being refilled while it is drawn again.
    std::lock_guard lock(objectLock_);
    if (renderState_ == RenderState::Shutdown)
        return kShutdown;
    SamplePtr sample;
    {
        std::lock_guard presentedLock(presentedLock_);
        sample = presented_;
    }
    if (!sample)
        return kOk;
    return presentEngine_.PresentSample(*sample);
}

MediaResult VideoPresenter::CaptureFrame(int width, int height, std::vector<uint8_t>& out) {
    std::lock_guard lock(objectLock_);
    SamplePtr sample;
    {
        std::lock_guard presentedLock(presentedLock_);
        sample = presented_;
    }
    if (!sample)
        return kUnexpected;
    return PresentEngine::CaptureSample(*sample, width, height, out);
}

MediaResult VideoPresenter::SetAlphaBitmap(AlphaBitmap bitmap) {
    presentEngine_.SetAlphaBitmap(std::move(bitmap));
    return kOk;
}

MediaResult VideoPresenter::ClearAlphaBitmap() {
    presentEngine_.ClearAlphaBitmap();
    return kOk;
}

VideoPresenter::RenderState VideoPresenter::GetRenderState() const {
    std::lock_guard lock(objectLock_);
    return renderState_;
}

VideoPresenter::FrameStep VideoPresenter::GetFrameStepState() const {
    std::lock_guard lock(objectLock_);
    return stepState_;
}

uint32_t VideoPresenter::Token() const {
    std::lock_guard lock(poolLock_);
    return token_;
}

int64_t VideoPresenter::LatePictureCount() const {
    return scheduler_.LateCount();
}

size_t VideoPresenter::FreeSampleCount() const {
    std::lock_guard lock(poolLock_);
    return pool_.FreeCount();
}

// Called with the object lock held.
MediaResult VideoPresenter::ProcessOutputLoop() {
    MediaResult r = kOk;
    while (sampleNotify_) {
        r = ProcessOutput();
        if (r != kOk)
            break;
    }
    if (r == kNeedMoreInput) {
        r = kOk;
        CheckEndOfStream();
    }
    return Failed(r) ? r : kOk;
}

// Called with the object lock held.
MediaResult VideoPresenter::ProcessOutput() {
    // Stopped or paused: one frame (the preroll) is shown, the rest waits for the start.
    if (renderState_ != RenderState::Started && prerolled_)
        return kFalse;
    if (renderState_ == RenderState::Shutdown || mixer_ == nullptr)
        return kUnexpected;
    SamplePtr sample;
    {
        std::lock_guard poolLock(poolLock_);
        if (Failed(pool_.GetSample(sample)))
            return kFalse; // no free sample: wait for one
    }
    const int64_t before = clock_ != nullptr ? clock_->GetTime() : 0;
    // Made at the size the window shows it at: scaled once, here, with the colour conversion.
    int width = 0;
    int height = 0;
    presentEngine_.TargetSize(width, height);
    const MediaResult r = mixer_->ProcessOutput(*sample, width, height);
    if (Failed(r)) {
        std::lock_guard poolLock(poolLock_);
        pool_.ReturnSample(std::move(sample));
        if (r == kNeedMoreInput)
            sampleNotify_ = false;
        if (r == kInvalidMediaType)
            format_.reset();
        return r;
    }
    if (clock_ != nullptr)
        NotifyEvent(kEventProcessingLatency, clock_->GetTime() - before);
    prerolled_ = true;
    if (stepState_ == FrameStep::None)
        return DeliverSample(sample, false);
    return DeliverFrameStepSample(sample);
}

// Called with the object lock held.
MediaResult VideoPresenter::DeliverSample(const SamplePtr& sample, bool repaint) {
    const bool presentNow = renderState_ != RenderState::Started || rate_ == 0.0f || repaint;
    const MediaResult r = scheduler_.ScheduleSample(sample, presentNow);
    if (Failed(r)) {
        NotifyEvent(kEventErrorAbort, r);
        std::lock_guard poolLock(poolLock_);
        if (sample->Token == token_)
            pool_.ReturnSample(sample);
    }
    return r;
}

// Called with the object lock held.
MediaResult VideoPresenter::DeliverFrameStepSample(const SamplePtr& sample) {
    if (rate_ == 0.0f && clock_ != nullptr && sample->Time < clock_->GetTime()) {
        // Scrubbing: a frame the clock has passed is of no use.
        std::lock_guard poolLock(poolLock_);
        if (sample->Token == token_)
            pool_.ReturnSample(sample);
        return kOk;
    }
    if (stepState_ != FrameStep::Pending) {
        stepSamples_.push_back(sample);
        return kOk;
    }
    if (--stepsLeft_ > 0) {
        std::lock_guard poolLock(poolLock_);
        if (sample->Token == token_)
            pool_.ReturnSample(sample);
        return kOk;
    }
    stepScheduled_ = sample;
    stepState_ = FrameStep::Scheduled;
    return DeliverSample(sample, true);
}

// Called with the object lock held.
MediaResult VideoPresenter::StartFrameStep() {
    while (stepState_ == FrameStep::Pending && !stepSamples_.empty()) {
        SamplePtr sample = std::move(stepSamples_.front());
        stepSamples_.pop_front();
        const MediaResult r = DeliverFrameStepSample(sample);
        if (Failed(r))
            return r;
    }
    return kOk;
}

// Called with the object lock held.
MediaResult VideoPresenter::CompleteFrameStep(const SamplePtr& sample) {
    stepState_ = FrameStep::Complete;
    stepScheduled_.reset();
    NotifyEvent(kEventStepComplete);
    if (rate_ == 0.0f) {
        const auto time = static_cast<uint64_t>(sample->Time);
        NotifyEvent(kEventScrubTime, static_cast<int64_t>(time & 0xFFFFFFFFu),
                    static_cast<int64_t>(time >> 32));
    }
    return kOk;
}

// Called with the object lock held.
MediaResult VideoPresenter::CancelFrameStep() {
    stepState_ = FrameStep::None;
    stepsLeft_ = 0;
    stepScheduled_.reset();
    while (!stepSamples_.empty()) {
        SamplePtr sample = std::move(stepSamples_.front());
        stepSamples_.pop_front();
        DeliverSample(sample, false);
    }
    return kOk;
}

MediaResult VideoPresenter::PresentSample(const SamplePtr& sample) {
    const MediaResult r = presentEngine_.PresentSample(*sample);
    SamplePtr previous;
    {
        std::lock_guard presentedLock(presentedLock_);
        previous = std::exchange(presented_, sample);
    }
    // The picture on the screen stays out of the pool until another one replaces it.
    if (previous && previous != sample)
        OnSampleFree(previous);
    CheckEndOfStream();
    return r;
}

void VideoPresenter::OnSampleFree(const SamplePtr& sample) {
    {
        std::lock_guard poolLock(poolLock_);
        if (sample->Token != token_)
            return; // from before a flush: not ours any more
        pool_.ReturnSample(sample);
    }
    VideoMixer* mixer = nullptr;
    {
        std::lock_guard lock(objectLock_);
        if (stepState_ == FrameStep::Scheduled && stepScheduled_ == sample) {
            CompleteFrameStep(sample);
        }
        mixer = mixer_;
        if (processOnSampleFree_ && sampleNotify_ && renderState_ != RenderState::Shutdown) {
            ProcessOutputLoop();
        }
    }
    if (mixer != nullptr)
        mixer->NotifySampleFreed();
}

void VideoPresenter::CheckEndOfStream() {
    {
        std::lock_guard lock(objectLock_);
        if (!endStreaming_)
            return;
        if (mixer_ != nullptr && mixer_->HasInput())
            return;
        if (scheduler_.QueuedCount() > 0 || !stepSamples_.empty())
            return;
        endStreaming_ = false;
    }
    NotifyEvent(kEventComplete);
}

void VideoPresenter::Flush() {
    // The scheduler may be presenting and then want the object lock: wait for it unlocked.
    scheduler_.Flush();
    std::lock_guard lock(objectLock_);
    stepSamples_.clear();
    stepScheduled_.reset();
    prerolled_ = false;
    repaint_ = false;
    endStreaming_ = false;
    if (!format_)
        return;
    std::vector<SamplePtr> free;
    {
        std::lock_guard poolLock(poolLock_);
        ++token_;
        free = pool_.TakeFreeAndClear();
    }
    CreateSamples(std::move(free));
}

void VideoPresenter::NotifyEvent(int32_t code, int64_t p1, int64_t p2) {
    PresenterEventSink* sink;
    {
        std::lock_guard lock(objectLock_);
        sink = sink_;
    }
    if (sink != nullptr)
        sink->Notify(code, p1, p2);
}

} // namespace kestrel::playback
