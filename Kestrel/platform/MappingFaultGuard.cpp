#include "platform/MappingFaultGuard.h"

#include "platform/FileMapping.h"

#include <array>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>

namespace kestrel::platform {
namespace {

// One watched range. The owner writes it between two steps of Sequence (odd while it
// writes), so the signal handler, which must not lock, can tell a torn read and skip it.
struct Watched {
    std::atomic<bool> Taken{false};
    std::atomic<uint32_t> Sequence{0};
    std::atomic<uintptr_t> Begin{0};
    std::atomic<uintptr_t> End{0};
    std::atomic<std::atomic<bool>*> Shrunk{nullptr};
};

// More views than the scanners, the loaders and the joiner ever map at once.
constexpr size_t kPlaces = 256;
std::array<Watched, kPlaces> g_watched;
struct sigaction g_previous {};
std::once_flag g_installed;

struct Snapshot {
    uintptr_t Begin = 0;
    uintptr_t End = 0;
    std::atomic<bool>* Shrunk = nullptr;
};

// The range as it stood between two writes; false while it is being written or empty.
bool Read(const Watched& w, Snapshot& out) {
    const uint32_t before = w.Sequence.load(std::memory_order_acquire);
    if ((before & 1u) != 0)
        return false;
    out.Begin = w.Begin.load(std::memory_order_relaxed);
    out.End = w.End.load(std::memory_order_relaxed);
    out.Shrunk = w.Shrunk.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return w.Sequence.load(std::memory_order_relaxed) == before && out.Shrunk != nullptr &&
           out.End > out.Begin;
}

void Write(Watched& w, const Snapshot& value) {
    w.Sequence.fetch_add(1, std::memory_order_acq_rel);
    w.Begin.store(value.Begin, std::memory_order_relaxed);
    w.End.store(value.End, std::memory_order_relaxed);
    w.Shrunk.store(value.Shrunk, std::memory_order_relaxed);
    w.Sequence.fetch_add(1, std::memory_order_release);
}

// Replaces the rest of the view, from the faulting page on, with zero pages.
bool ZeroFrom(uintptr_t address, const Snapshot& view) {
    const uintptr_t page = address & ~(static_cast<uintptr_t>(AllocationGranularity()) - 1);
    void* zeros = ::mmap(reinterpret_cast<void*>(page), view.End - page, PROT_READ,
                         MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return zeros != MAP_FAILED;
}

void OnBusError(int, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    if (info->si_code == BUS_ADRERR) {
        for (const Watched& w : g_watched) {
            Snapshot view;
            if (!Read(w, view) || address < view.Begin || address >= view.End)
                continue;
            if (!ZeroFrom(address, view))
                break;
            view.Shrunk->store(true, std::memory_order_relaxed);
            return; // the read runs again, over zeros
        }
    }
    // Not a watched view: the previous handling takes the fault when the read runs again,
    // or at once for a signal that was sent rather than caused by a read.
    ::sigaction(SIGBUS, &g_previous, nullptr);
    if (info->si_code <= 0)
        ::raise(SIGBUS);
}

void Install() {
    struct sigaction action {};
    action.sa_sigaction = &OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

} // namespace

int MappingFaultGuard::Watch(const void* begin, size_t length, std::atomic<bool>* shrunk) {
    std::call_once(g_installed, Install);
    for (size_t i = 0; i < g_watched.size(); ++i) {
        bool expected = false;
        if (!g_watched[i].Taken.compare_exchange_strong(expected, true))
            continue;
        const auto from = reinterpret_cast<uintptr_t>(begin);
        Write(g_watched[i], Snapshot{from, from + length, shrunk});
        return static_cast<int>(i);
    }
    return -1;
}

void MappingFaultGuard::Forget(int ticket) {
    if (ticket < 0 || static_cast<size_t>(ticket) >= g_watched.size())
        return;
    Watched& w = g_watched[static_cast<size_t>(ticket)];
    Write(w, Snapshot{});
    w.Taken.store(false, std::memory_order_release);
}

} // namespace kestrel::platform
