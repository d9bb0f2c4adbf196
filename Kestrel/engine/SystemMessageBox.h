#pragma once
// The engine's modal system boxes ("Error Message" for a view that cannot be mapped,
// "ERROR" for a failed media call). The engine has no windows of its own: the box goes to a
// process-wide sink that the application replaces with a real dialog. Until then the text
// is written to stderr.
#include <functional>
#include <string>

namespace kestrel {

class SystemMessageBox {
public:
    using Sink = std::function<void(const std::string& caption, const std::string& text)>;

    // Shows one box and returns when it has been dismissed (or written). Any thread.
    static void Show(const std::string& caption, const std::string& text);
    // Replaces the sink; an empty sink restores the stderr default. Returns the previous one.
    static Sink SetSink(Sink sink);
};

} // namespace kestrel
