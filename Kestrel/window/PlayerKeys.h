#pragma once
// The keys of the main window, as a desktop video player has them. They act while the main
// window is the active one (in full screen too) and obey what guards the buttons: nothing
// while a recording opens or a job runs, and a key that stands for a button acts only while
// that button could be pressed. The commands themselves keep their own guards (the near end
// of a playing recording, zoom mode).
#include <QKeySequence>

#include <functional>
#include <vector>

class QWidget;

namespace kestrel {

class PlayerKeys {
  public:
    struct Binding {
        QKeySequence Key;
        int Command = 0;
        bool Button = false; // the command of one of the window's buttons
    };
    // What the keys ask of the window.
    struct Hooks {
        std::function<bool()> Busy;             // a recording opens or a job runs
        std::function<bool(int)> ButtonEnabled; // the button of a command can be pressed
        std::function<void(int)> Run;           // runs a command as the window routes it
    };

    // The keys, in the order the README lists them.
    static const std::vector<Binding>& Table();

    // Makes the keys of the table work in `window`.
    PlayerKeys(QWidget& window, Hooks hooks);

    // What `binding` does now; false when a guard refused it.
    bool Press(const Binding& binding);

  private:
    Hooks hooks_;
};

} // namespace kestrel
