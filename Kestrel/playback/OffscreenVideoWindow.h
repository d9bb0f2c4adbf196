#pragma once
// A video window without a screen: a fixed client size, a message queue, and a hook that
// sees every presented picture. The command line and the tests play into it.
#include "platform/VideoWindow.h"
#include "playback/AppMessageQueue.h"

#include <atomic>
#include <cstdint>

namespace kestrel::playback {

class OffscreenVideoWindow : public VideoWindow {
  public:
    OffscreenVideoWindow(int width, int height) : width_(width), height_(height) {}

    void ClientSize(int& width, int& height) const override {
        width = width_;
        height = height_;
    }
    void PresentPicture(const VideoPicture& picture, const Rect& destination) override {
        ++presented_;
        OnPicture(picture, destination);
    }
    void FillBlack(const Rect& area) override { OnFillBlack(area); }
    void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) override {
        messages_.PostAppMessage(message, wParam, lParam);
    }
    MessageTarget* ParentWindow() const override { return &parent_; }

    AppMessageQueue& Messages() { return messages_; }
    AppMessageQueue& ParentMessages() { return parent_; }
    int64_t PresentedCount() const { return presented_; }

  protected:
    // Called on the presenting thread for every picture.
    virtual void OnPicture(const VideoPicture&, const Rect&) {}
    virtual void OnFillBlack(const Rect&) {}

  private:
    int width_;
    int height_;
    std::atomic<int64_t> presented_{0};
    AppMessageQueue messages_;
    mutable AppMessageQueue parent_;
};

} // namespace kestrel::playback
