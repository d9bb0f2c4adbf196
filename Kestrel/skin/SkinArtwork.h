#pragma once
// The viewer's own pictures. Pictograms are SVG files compiled into the program; the state
// cells, slider parts, background, logo and badges around them are drawn here, all in one
// dark, quiet style. Every picture is drawn at the logical size the controls expect and at
// the screen's device pixel ratio, so it stays sharp on scaled screens.
#include <QPixmap>
#include <QSize>

namespace kestrel {

class SkinArtwork {
  public:
    // Logical size of picture `id`; an empty size for a number without a picture.
    static QSize SizeOf(int id);
    // Picture `id` at device pixel ratio `dpr`; a null pixmap for a number without a picture.
    static QPixmap Make(int id, qreal dpr);
};

} // namespace kestrel
