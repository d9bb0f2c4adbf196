#pragma once
// The G-sensor graph's place under the information panel. It is told what the main window
// knows of the recording (whether it has data, the scale, the position); drawing the curves
// and event marks comes with the graph itself.
#include <QWidget>

namespace kestrel {

class CGSensorDlg : public QWidget {
    Q_OBJECT
  public:
    explicit CGSensorDlg(QWidget* parent);

    int HasData = 0;       // the recording has sensor data to draw
    int ExtendedKinds = 0; // the recording's kind uses the extended event kinds
    int Scale = 0;         // 0: ±0.5 G, 1: ±1 G, 2: ±1.5 G, 3: ±2 G
    int Position = 0;      // the shown frame
    int LeftMargin = 50;
    int FrameCount = 0;

    void SetPosition(int frame, int leftMargin);
    // Forgets the recording: no data, ±0.5 G, position 0.
    void ClearData();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kestrel
