#pragma once
// The badge a folder of the file panel's tree carries: a base picture with one mark for each
// kind of event recording the folder holds. Continuous recordings have no mark of their own.
#include "engine/RecordingEntry.h"

#include <QImage>

namespace kestrel {

class KindBadge {
  public:
    static constexpr int kWidth = 39;
    static constexpr int kHeight = 26;

    // The mask bits that have a mark, in drawing order.
    static constexpr KindMask kMarkedBits[6] = {0x02, 0x04, 0x08, 0x10, 0x20, 0x40};

    // The badge of `mask` on white, or a null image for a mask of 0 (no badge is drawn).
    static QImage Compose(KindMask mask, qreal devicePixelRatio = 1.0);
    // Where the mark of `bit` sits on the badge; an empty rectangle for a bit without one.
    static QRect MarkRect(KindMask bit);
    // The colour of the mark of `bit`.
    static QColor MarkColour(KindMask bit);
};

} // namespace kestrel
