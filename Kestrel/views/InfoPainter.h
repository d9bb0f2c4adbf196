#pragma once
// Draws the readouts of the shown frame: date and time, speed, the three G values with their
// labels, the quality badge, the microphone and the satellite, in each of the information
// strip's three layouts. Missing values show their placeholder dashes.
#include "engine/DateTime.h"

#include <QRect>
#include <QString>

class QPainter;

namespace kestrel {

class CResourceImage;

struct Readouts {
    int DataValid = 0;
    DateTime StartTime;
    int TimeLapse = 0;
    double FrameMs = 0.0;
    int Slot = -1;
    double Accel[3] = {-5.0, -5.0, -5.0}; // G; -5.0 or below: no value
    int GpsValid = 0;
    double SpeedKmh = -1.0;
    char AudioState = 'M';
    int QualityIndex = 0;
    QString SpeedLabel;
};

class InfoPainter {
  public:
    enum Layout : int { Small = 0, Medium = 1, Large = 2 };

    // The date and time of the shown frame as the strip writes it, or an empty text when it
    // has none (no data, no slot, no start time).
    static QString DateTimeText(const Readouts& r);
    // The speed number ("%.0f ", at most 999), or an empty text without a valid position.
    static QString SpeedText(const Readouts& r);
    // A G value cut toward zero to two decimals ("%.2fG"); empty for a missing value.
    static QString AccelText(double g);

    // Draws the readouts of `layout`. `client` is the strip's rectangle in layouts 0 and 1 and
    // the main window's client rectangle in layout 2.
    static void DrawReadouts(QPainter& painter, int layout, const QRect& client, const Readouts& r,
                             const CResourceImage& bank);
    // The strip of the large layout inside the main window's client rectangle.
    static QRect LargeStrip(const QRect& mainClient);
};

} // namespace kestrel
