#include "window/PlayerKeys.h"

#include "shell/KeyCommands.h"

#include <QShortcut>
#include <QWidget>

namespace kestrel {
namespace {
// The buttons' commands the keys give.
enum : int {
    IdStart = 38000,
    IdPrevious = 38001,
    IdPlayPause = 38002,
    IdSlower = 38003,
    IdFaster = 38004,
    IdNext = 38005,
    IdBrowse = 38009,
};
} // namespace

const std::vector<PlayerKeys::Binding>& PlayerKeys::Table() {
    static const std::vector<Binding> table = {
        {QKeySequence(Qt::Key_Space), IdPlayPause, true},
        {QKeySequence(Qt::Key_Home), IdStart, true},
        {QKeySequence(Qt::Key_PageUp), IdPrevious, true},
        {QKeySequence(Qt::Key_PageDown), IdNext, true},
        {QKeySequence(Qt::Key_Comma), IdFrameBack},
        {QKeySequence(Qt::Key_Period), IdFrameForward},
        {QKeySequence(Qt::Key_Left), IdSeekBack},
        {QKeySequence(Qt::Key_Right), IdSeekForward},
        {QKeySequence(Qt::Key_Up), IdVolumeUp},
        {QKeySequence(Qt::Key_Down), IdVolumeDown},
        {QKeySequence(Qt::Key_BracketLeft), IdSlower, true},
        {QKeySequence(Qt::Key_BracketRight), IdFaster, true},
        {QKeySequence(Qt::Key_F), IdFullScreenToggle},
        {QKeySequence(Qt::Key_Escape), IdLeaveFullScreen},
        {QKeySequence(Qt::CTRL | Qt::Key_O), IdBrowse, true},
    };
    return table;
}

PlayerKeys::PlayerKeys(QWidget& window, Hooks hooks) : hooks_(std::move(hooks)) {
    for (const Binding& binding : Table()) {
        // Only while the main window is active: a modal dialog has its keys to itself.
        auto* shortcut = new QShortcut(binding.Key, &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window,
                         [this, &binding] { Press(binding); });
    }
}

bool PlayerKeys::Press(const Binding& binding) {
    // A window that covers the screen always lets the user out.
    const bool always = binding.Command == IdLeaveFullScreen;
    if (!always && hooks_.Busy())
        return false;
    if (binding.Button && !hooks_.ButtonEnabled(binding.Command))
        return false;
    hooks_.Run(binding.Command);
    return true;
}

} // namespace kestrel
