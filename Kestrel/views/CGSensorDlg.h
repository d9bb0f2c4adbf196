#pragma once
// The G-sensor graph under the video: the X, Y and Z curves of the shown recording along its
// timeline, the recorder's event marks, the speeding band and the playback cursor. It draws
// into the off-screen picture the main window lends and shows it in one copy, so it never
// flickers. A left click asks the main window for the previous event, a right click for the
// next.
#include "views/GraphEvents.h"
#include "views/GraphPainter.h"

#include <QWidget>

namespace kestrel {

class COffScreenDC;
class CResourceImage;

class CGSensorDlg : public QWidget {
    Q_OBJECT
  public:
    explicit CGSensorDlg(QWidget* parent);

    // The main window's off-screen picture, which the graph draws into.
    void LendSurface(COffScreenDC* surface) { surface_ = surface; }
    // Takes the scale backgrounds and the star from the picture bank.
    void SetPictures(const CResourceImage& bank);
    // The classification and the samples of the shown recording; nullptr while there are none.
    // Both belong to the owner of the shown recording.
    void SetData(GraphEvents* events, const GraphSamples* data);

    // The shown slot on a timeline of `timelineRange` slots; redraws at once.
    void SetPlaybackPosition(int slot, int timelineRange);
    // The scale for a recording's peak G: ±2 G from 1.5, ±1.5 G from 1.0, ±1 G from 0.5,
    // ±0.5 G below.
    void SelectScaleForPeak(double peak);
    static int ScaleForPeak(double peak);
    void SetScaleMode(int mode);
    // Whether the recording's data is shown, and whether its kind has the extended events
    // (false for "_A", "_P" and "_T" recordings).
    void SetDataState(bool loaded, bool extendedKinds);
    // Shows or hides one classification entry on the graph and the map alike.
    void SetEntryVisibility(int entry, bool shown);
    // Pixels per slot at the window's present width.
    double PixelsPerSlot() const;

    const GraphState& State() const { return state_; }
    const GraphPictures& Pictures() const { return pictures_; }

    // Draws the graph of the present state into `painter`, `client` large.
    bool DrawGraph(QPainter& painter, QSize client) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    static constexpr int kLeftMargin = 50;
    static constexpr int kScaleWidth = 800;

    GraphState state_;
    GraphPictures pictures_;
    COffScreenDC* surface_ = nullptr;
    GraphEvents* events_ = nullptr;
    int extendedKinds_ = 1;
    const GraphSamples* data_ = nullptr;
};

} // namespace kestrel
