#pragma once
// A file that becomes shorter while a view of it is mapped (another program truncates it, the
// card is pulled) makes the kernel raise SIGBUS on the first read of a page past its new end,
// which would end the whole program. The guard keeps the address ranges of the live views:
// when a read faults inside one, it puts zero pages in place of the rest of that view and
// marks the view's file as shrunk, so the reader carries on over zeros and its owner, who
// checks the mark, reports the file as unreadable. A fault anywhere else goes on to whatever
// handled SIGBUS before.
#include <atomic>
#include <cstddef>

namespace kestrel::platform {

class MappingFaultGuard {
public:
    // Watches [begin, begin + length) until Forget; `shrunk` is set when a read faults
    // inside it and must outlive the watch. Returns the watch's ticket, or -1 when every
    // place is taken, and the view is then not watched.
    static int Watch(const void* begin, size_t length, std::atomic<bool>* shrunk);
    // Ends the watch; call it before the range is unmapped.
    static void Forget(int ticket);
};

} // namespace kestrel::platform
