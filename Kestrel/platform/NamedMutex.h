#pragma once
// A mutex that carries its name as a label, standing in for the named mutexes the engine
// and the main window create ("hFileMutex", "hCacheFileMutex", "hMutexFind", ...).
// The name is only a label for diagnostics: nothing outside the process can open it.
#include <mutex>
#include <string>
#include <utility>

namespace kestrel::platform {

template <class Mutex>
class NamedMutex {
public:
    explicit NamedMutex(std::string name) : name_(std::move(name)) {}
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    Mutex mutex_;
};

// Windows mutexes may be taken again by their owner; hFileMutex relies on it.
using RecursiveNamedMutex = NamedMutex<std::recursive_mutex>;
using PlainNamedMutex = NamedMutex<std::mutex>;

} // namespace kestrel::platform
