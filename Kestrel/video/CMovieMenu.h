#pragma once
// The video surface's context menu: the transport and file commands that fit the state the
// engine is in, in the window or in full screen. Every item is drawn by the menu itself:
// 20 pixels high, 70 wide in the window and 220 in full screen (wider when a text needs it),
// blue when selected, grey when it cannot be chosen.
#include <QColor>
#include <QMenu>
#include <QString>

#include <vector>

class QPainter;
class QRect;

namespace kestrel {

struct MovieMenuInputs {
    int PlayState = 0; // the engine's: 0 no movie, 1 stopped, 2 playing, 3 paused
    int SpeedCode = 1;
    bool FullScreen = false;
    int DisplaySize = 0;
    int AspectMode = 0; // the engine's: 1 the picture keeps its shape
};

struct MovieMenuItem {
    int Command = 0;  // 0: a separator
    int TextSlot = 0; // UI text of the item
    bool Enabled = true;
    friend bool operator==(const MovieMenuItem&, const MovieMenuItem&) = default;
};

class CMovieMenu : public QMenu {
    Q_OBJECT
  public:
    static constexpr int kItemHeight = 20;
    static constexpr int kWindowWidth = 70;
    static constexpr int kFullScreenWidth = 220;
    static constexpr int kTextIndent = 20;
    static const QColor kSelectedBack;     // RGB(0, 0, 255)
    static const QColor kSelectedGreyBack; // RGB(195, 195, 255)
    static const QColor kGreyText;         // RGB(127, 127, 127)

    // The items, top to bottom, for the state in `in`.
    static std::vector<MovieMenuItem> Items(const MovieMenuInputs& in);
    // One item: its background, and its text 20 pixels in from the left edge, centred on one
    // line in Font10. `menuBack` and `menuText` are the menu's own colours.
    static void DrawItem(QPainter& painter, const QRect& item, const QString& text, bool selected,
                         bool enabled, const QColor& menuBack, const QColor& menuText);

    CMovieMenu(bool fullScreen, const std::vector<MovieMenuItem>& items, QWidget* parent);

    bool FullScreen() const { return fullScreen_; }

  signals:
    // An item was chosen: its command.
    void Command(int id);

  private:
    bool fullScreen_;
};

} // namespace kestrel
