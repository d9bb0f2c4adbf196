#pragma once
// Reading the generator's frame pattern off what the video surface shows on the screen.
#include "mkrec/FramePattern.h"
#include "video/CMovieStatic.h"

#include <QImage>

#include <cstdint>

namespace kestrel::test {

// The frame number painted into what the video surface shows on the screen (grabbed from
// the widget, not taken from the player), -1 when unreadable, -2 without a picture.
inline int GrabbedPattern(CMovieStatic& surface) {
    const QImage shot = surface.grab().toImage().convertToFormat(QImage::Format_RGBX8888);
    const QRect picture = surface.Pictures().Destination().intersected(surface.rect());
    if (picture.isEmpty())
        return -2;
    const QImage part = shot.copy(picture);
    return mkrec::DecodeFramePatternRgb(part.constBits(), static_cast<int>(part.bytesPerLine()),
                                        part.width(), part.height(), 4);
}

// The picture shown at engine frame n: the one whose interval holds n x 30 ms (pictures
// come every 1/30 s).
inline int PictureOfFrame(int64_t frame) {
    return static_cast<int>(frame * 30 * 30 / 1000);
}

} // namespace kestrel::test
