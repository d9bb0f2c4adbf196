#include "skin/CLapTimeArea.h"

#include "skin/COffScreenDC.h"

namespace kestrel {

CLapTimeArea::~CLapTimeArea() {
    if (set_)
        surface_.SelectFont(previousFont_);
}

void CLapTimeArea::Setup(const QFont& font) {
    surface_.TransparentBackground = true;
    surface_.TextColor = Qt::white;
    const QFont previous = surface_.SelectFont(font);
    if (!set_)
        previousFont_ = previous;
    set_ = true;
}

} // namespace kestrel
