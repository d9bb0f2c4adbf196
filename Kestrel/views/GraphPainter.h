#pragma once
// Draws the G-sensor graph of one moment: the scale background, the X, Y and Z curves of the
// shown recording, its event marks and speeding band, and the playback cursor. It takes the
// data and a painter, so the window draws it into its off-screen picture and tests into an
// image.
#include "views/GraphEvents.h"

#include <QFont>
#include <QPixmap>
#include <QSize>

#include <array>
#include <vector>

class QPainter;

namespace kestrel {

// The graph's settings as the main window last gave them.
struct GraphState {
    int ScaleMode = 1;     // 0 to 3: ±0.5, ±1, ±1.5, ±2 G
    int LeftMargin = 0;    // the label column; the curves start right of it
    int TimelineRange = 0; // slots of the timeline (its maximum minus its minimum)
    int Position = 0;      // the shown slot
    int TileWidth = 0;     // scale picture width minus the margin; 0: nothing is drawn
    int BitmapHeight = 150;
    int DataLoaded = 0;
};

// The pictures the graph draws with. The star is kept with its key colour already cut out.
struct GraphPictures {
    std::array<QPixmap, 4> Scales;
    QPixmap Star;
    QFont LabelFont;
    int RowStep = 3; // pixels between the rows of the mark labels

    // Takes the pictures from `scales` and `star` (the star on its key colour).
    void Set(const std::array<const QPixmap*, 4>& scales, const QPixmap* star);
};

class GraphPainter {
  public:
    // Pixels one slot takes across the plot: (width - margin - 1) / slots; 0.0 without slots.
    static double PixelsPerSlot(int width, int leftMargin, const GraphSamples* data);

    // Draws the whole graph, `client` large, into `painter`. `data` is nullptr while the
    // recording has none. False when nothing could be drawn (no tile width, empty client).
    static bool Draw(QPainter& painter, QSize client, const GraphState& state,
                     const GraphEvents& events, const GraphSamples* data,
                     const GraphPictures& pictures);
};

} // namespace kestrel
