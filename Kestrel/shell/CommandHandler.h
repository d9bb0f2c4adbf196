#pragma once
// A part of the window that handles some of the main window's commands (button, menu and key
// command ids). The main window keeps its own window commands and asks its handlers, in the
// order they were added, for every other id.
namespace kestrel {

class CommandHandler {
  public:
    virtual ~CommandHandler() = default;
    // True when `id` is this handler's (whether or not it could act on it now).
    virtual bool OnCommand(int id) = 0;
};

} // namespace kestrel
