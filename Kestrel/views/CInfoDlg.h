#pragma once
// The information strip under the video: date and time, speed, the three G values, the
// quality badge, the microphone and the satellite of the shown frame, in the small and
// medium layouts in its own window and in the large layout along the bottom of the main
// window. Its three axis buttons switch the X, Y and Z curves and G events on and off.
#include "engine/DateTime.h"
#include "views/InfoPainter.h"

#include <QString>
#include <QWidget>

#include <array>

namespace kestrel {

class CResourceImage;
class CSkinCheckButton;
class COffScreenDC;

class CInfoDlg : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kAxisButtonFirst = 38600;

    explicit CInfoDlg(QWidget* parent);

    // Readouts of the shown frame.
    double Accel[3] = {-5.0, -5.0, -5.0}; // G; -5.0 or below: no value
    char AudioState = 'M';
    int GpsValid = 0;
    double SpeedKmh = -1.0; // -1.0: no position
    int Slot = -1;          // the shown frame; -1: none
    // Facts of the loaded recording.
    int QualityIndex = 0;
    DateTime StartTime;
    int DataValid = 0;
    int TimeLapse = 0;
    char VehicleData = 0;
    double FrameMs = 0.0;
    QString SpeedLabel;
    int Layout = InfoPainter::Small;

    void SetPictures(const CResourceImage* bank) { bank_ = bank; }
    void LendSurface(COffScreenDC* surface) { surface_ = surface; }
    void SetLayout(int layout);
    // Shows the readouts again: the strip's own window, or in the large layout the strip
    // along the bottom of the main window.
    void Refresh();
    // What the strip shows of the present values, as text: equal keys draw equal strips.
    QString DrawnKey() const;

    void SetAccel(double x, double y, double z);
    // Back to "no readouts" (no slot, no values, no badge), redrawn at once.
    void ResetReadouts();
    // Forgets the recording's facts as well.
    void ClearData();
    Readouts Values() const;
    int AxisState(int axis) const { return axisOn_[static_cast<size_t>(axis)]; }

    // The whole strip of layouts 0 and 1 into `painter`, `client` large.
    void DrawStrip(QPainter& painter, QSize client) const;
    // The large layout's readouts over the main window's background, into `painter` (the main
    // window's picture), `mainClient` being the main window's client rectangle.
    void DrawLarge(QPainter& painter, const QRect& mainClient) const;
    // The volume picture of the large layout at the main window's bottom-right corner.
    void DrawVolumeIcon(QPainter& painter, const QRect& mainClient) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QString drawnKey_; // the key of the strip last asked to be painted
    void OnAxisButton(int axis);

    const CResourceImage* bank_ = nullptr;
    COffScreenDC* surface_ = nullptr;
    std::array<CSkinCheckButton*, 3> buttons_{};
    std::array<int, 3> axisOn_{1, 1, 1};
};

} // namespace kestrel
