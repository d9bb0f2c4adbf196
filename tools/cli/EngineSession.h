#pragma once
// The engine as the commands use it: initialised without a video window and marked ready,
// as the main window does, for the life of one command.
#include "engine/EngineContext.h"

namespace kestrel::cli {

class EngineSession {
  public:
    EngineSession() : ok_(Init(ctx_, nullptr, "メイリオ") != 0) {
        if (ok_)
            ctx_.Ready = 1;
    }
    ~EngineSession() {
        ctx_.Ready = 0;
        Shutdown(ctx_);
    }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    bool Ok() const { return ok_; }
    EngineContext& Context() { return ctx_; }

  private:
    EngineContext ctx_;
    bool ok_;
};

} // namespace kestrel::cli
