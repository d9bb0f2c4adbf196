#include "video/CMovieMenu.h"

#include "engine/EngineContext.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace kestrel {

const QColor CMovieMenu::kSelectedBack(0, 0, 255);
const QColor CMovieMenu::kSelectedGreyBack(195, 195, 255);
const QColor CMovieMenu::kGreyText(127, 127, 127);

namespace {

// The commands the menu offers (the main window's ids).
enum : int {
    IdStop = 38000,
    IdPlayPause = 38002,
    IdSlower = 38003,
    IdFaster = 38004,
    IdSnapshot = 38006,
    IdBrowse = 38009,
    IdSettings = 38011,
    IdVehicle = 38013,
    IdAspect = 38200,
};

constexpr int kSizeLarge = 2;
constexpr int kSeparatorHeight = 7;
constexpr int kTextEndMargin = 6;

// Sizes and draws the menu's items; everything else is the application's style.
class MovieMenuStyle : public QProxyStyle {
  public:
    explicit MovieMenuStyle(int width) : width_(width) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type != CT_MenuItem)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (!item || item->menuItemType == QStyleOptionMenuItem::Separator)
            return {width_, kSeparatorHeight};
        // A text longer than the item's width widens the menu rather than being cut.
        const int needed = CMovieMenu::kTextIndent +
                           QFontMetrics(SharedFonts::Font10()).horizontalAdvance(item->text) +
                           kTextEndMargin;
        return {std::max(width_, needed), CMovieMenu::kItemHeight};
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const QColor back = option->palette.color(QPalette::Window);
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            painter->fillRect(option->rect, back);
            const int y = option->rect.center().y();
            painter->setPen(CMovieMenu::kGreyText);
            painter->drawLine(option->rect.left() + 2, y, option->rect.right() - 2, y);
            return;
        }
        CMovieMenu::DrawItem(*painter, option->rect, item->text,
                             (option->state & State_Selected) != 0,
                             (option->state & State_Enabled) != 0, back,
                             option->palette.color(QPalette::WindowText));
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 0;
        case PM_MenuPanelWidth:
            return 2;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        // A greyed item is still highlighted under the pointer, in its own light colour.
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

  private:
    int width_;
};

} // namespace

std::vector<MovieMenuItem> CMovieMenu::Items(const MovieMenuInputs& in) {
    std::vector<MovieMenuItem> items;
    const bool playing = in.PlayState == kPlayStatePlaying;
    if (playing || in.PlayState == kPlayStatePaused) {
        items.push_back({IdPlayPause, playing ? 85 : 86, true});       // 一時停止 / 再生
        items.push_back({IdStop, 90, true});                           // 停止
        items.push_back({IdFaster, 82, playing && in.SpeedCode < 4});  // 早送り
        items.push_back({IdSlower, 88, playing && in.SpeedCode >= 0}); // スロー
    } else {
        items.push_back({IdPlayPause, 86, true}); // 再生
    }
    if (!in.FullScreen) {
        items.push_back({});
        items.push_back({IdSnapshot, 89, true}); // 静止画
        items.push_back({IdSettings, 87, true}); // 設定
        if (in.DisplaySize != kSizeLarge) {
            items.push_back({});
            items.push_back({IdBrowse, 84, true}); // 参照
        }
    } else {
        // The item names the mode it switches to.
        items.push_back({IdAspect, in.AspectMode == 0 ? 91 : 92, true});
    }
    // The vehicle values have no button of their own: the menu is their way in by mouse.
    items.push_back({});
    items.push_back({IdVehicle, 140, true}); // 車両情報
    return items;
}

void CMovieMenu::DrawItem(QPainter& painter, const QRect& item, const QString& text, bool selected,
                          bool enabled, const QColor& menuBack, const QColor& menuText) {
    QColor back = menuBack;
    QColor fore = enabled ? menuText : kGreyText;
    if (selected) {
        back = enabled ? kSelectedBack : kSelectedGreyBack;
        fore = enabled ? QColor(Qt::white) : kGreyText;
    }
    painter.save();
    painter.fillRect(item, back);
    painter.setFont(SharedFonts::Font10());
    painter.setPen(fore);
    painter.drawText(item.adjusted(kTextIndent, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

CMovieMenu::CMovieMenu(bool fullScreen, const std::vector<MovieMenuItem>& items, QWidget* parent)
    : QMenu(parent), fullScreen_(fullScreen) {
    auto* style = new MovieMenuStyle(fullScreen ? kFullScreenWidth : kWindowWidth);
    style->setParent(this);
    setStyle(style);
    setFont(SharedFonts::Font10());
    for (const MovieMenuItem& item : items) {
        if (item.Command == 0) {
            addSeparator();
            continue;
        }
        QAction* action = addAction(UiQText(item.TextSlot));
        action->setData(item.Command);
        action->setEnabled(item.Enabled);
    }
    connect(this, &QMenu::triggered, this, [this](QAction* action) {
        if (action->isEnabled())
            emit Command(action->data().toInt());
    });
}

} // namespace kestrel
