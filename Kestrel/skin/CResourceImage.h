#pragma once
// The picture bank: every picture the views draw, loaded once when the main window starts and
// read by the views for as long as the main window lives. A picture that cannot be made is
// simply absent; painters check for it and draw nothing in its place.
#include <QPixmap>
#include <QRectF>

#include <map>

class QPainter;
class QWidget;

namespace kestrel {

class CResourceImage {
  public:
    // Loads every picture of the bank, in the bank's order, at the device pixel ratio of the
    // screen `window` is on (any screen when it is none).
    void Load(const QWidget* window);
    void Clear();

    // The picture, or nullptr when it is absent.
    const QPixmap* Picture(int id) const;
    // The drawing canvas of the OBD panel, 210 x 170.
    QPixmap& ObdCanvas() { return obdCanvas_; }

    // One skin picture for a control that keeps its own copy; null when it cannot be made.
    static QPixmap LoadSkinBitmap(int id, qreal dpr);
    // The device pixel ratio the pictures of `window` are made at.
    static qreal RatioFor(const QWidget* window);

    // Draws the part `source` (logical pixels of the picture) of `picture` into `target`.
    static void DrawPart(QPainter& painter, const QRectF& target, const QPixmap& picture,
                         const QRectF& source);

  private:
    std::map<int, QPixmap> pictures_;
    QPixmap obdCanvas_;
};

} // namespace kestrel
