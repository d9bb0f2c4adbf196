#pragma once
// Draws one gauge of the OBD panel onto its 210 x 170 canvas: the item's dial, and the needle
// turned about the pivot (105, 108) to the value's angle.
#include <QPixmap>

class QPainter;

namespace kestrel {

class CResourceImage;

struct GaugePictures {
    QPixmap Dials[5]; // white already cut out
    QPixmap Needle;   // already cut by its mask

    void Set(const CResourceImage& bank);
};

class ObdGaugePainter {
  public:
    static constexpr int kCanvasWidth = 210;
    static constexpr int kCanvasHeight = 170;

    static void Draw(QPainter& canvas, int item, int value, const GaugePictures& pictures);
};

} // namespace kestrel
