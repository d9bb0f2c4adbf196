#pragma once
// An off-screen drawing surface: a picture its owner draws into and then copies to a window,
// with the text style (font, colour, background mode) the owner gave it.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSize>

class QPainter;

namespace kestrel {

class COffScreenDC {
  public:
    // Makes the surface `size` logical pixels large at device pixel ratio `dpr`.
    void Create(QSize size, qreal dpr);
    // Makes it larger when `size` does not fit; keeps it otherwise.
    void EnsureSize(QSize size);
    bool IsValid() const { return !bitmap_.isNull(); }
    QSize Size() const { return size_; }
    QPixmap& Bitmap() { return bitmap_; }
    const QPixmap& Bitmap() const { return bitmap_; }

    // Selects `font` and returns the font that was selected before.
    QFont SelectFont(const QFont& font);
    const QFont& Font() const { return font_; }
    QColor TextColor = Qt::black;
    bool TransparentBackground = false;

    // Sets a painter on the surface up with the surface's text style.
    void ApplyTextStyle(QPainter& painter) const;

    // Copies the part (0, 0, size) of the surface to `painter` at `at`.
    void CopyTo(QPainter& painter, QPoint at, QSize size) const;

  private:
    QPixmap bitmap_;
    QSize size_;
    qreal dpr_ = 1.0;
    QFont font_;
};

} // namespace kestrel
