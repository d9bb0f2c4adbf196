#pragma once
// The information panel under the video: it receives the readouts of the shown frame. For now
// it draws them as plain lines; its own drawing of date, time, speed and G values comes with
// the readouts.
#include "engine/DateTime.h"

#include <QString>
#include <QWidget>

namespace kestrel {

class CInfoDlg : public QWidget {
    Q_OBJECT
  public:
    explicit CInfoDlg(QWidget* parent);

    // Readouts of the shown frame.
    double Accel[3] = {-5.0, -5.0, -5.0}; // G; -5.0 or below: no value
    char AudioState = 0;
    int GpsValid = 0;
    double SpeedKmh = -1.0; // -1.0: no position
    int Slot = 0;           // the shown frame
    // Facts of the loaded recording.
    int QualityIndex = 0;
    DateTime StartTime;
    int DataValid = 0;
    int TimeLapse = 0;
    char VehicleData = 0;
    double FrameMs = 0.0;
    QString SpeedLabel;

    void SetAccel(double x, double y, double z);
    // Back to "no readouts" (frame 0, no values), keeping the recording's facts.
    void ResetReadouts();
    // Forgets the recording's facts as well.
    void ClearData();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kestrel
