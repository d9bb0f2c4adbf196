#include "engine/SystemMessageBox.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace kestrel {
namespace {

std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}

SystemMessageBox::Sink& CurrentSink() {
    static SystemMessageBox::Sink sink;
    return sink;
}

} // namespace

void SystemMessageBox::Show(const std::string& caption, const std::string& text) {
    Sink sink;
    {
        std::lock_guard lock(SinkLock());
        sink = CurrentSink();
    }
    if (sink) {
        sink(caption, text);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

SystemMessageBox::Sink SystemMessageBox::SetSink(Sink sink) {
    std::lock_guard lock(SinkLock());
    return std::exchange(CurrentSink(), std::move(sink));
}

} // namespace kestrel
