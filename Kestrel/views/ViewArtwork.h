#pragma once
// The data views' own pictures, drawn in code at the sizes the views expect: the graph's scale
// backgrounds and star, the information strip's background, icons and placeholder dashes, the
// OBD panel's dials and needle.
#include <QPixmap>
#include <QSize>

namespace kestrel {

class ViewArtwork {
  public:
    // Logical size of picture `id`; an empty size for a number that is not a view picture.
    static QSize SizeOf(int id);
    // Picture `id` at device pixel ratio `dpr`; a null pixmap for a number without a picture.
    static QPixmap Make(int id, qreal dpr);
    // Every view picture number, in the order the bank loads them.
    static const int* Numbers(int& count);
};

} // namespace kestrel
