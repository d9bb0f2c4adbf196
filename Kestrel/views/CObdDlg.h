#pragma once
// The OBD panel: three gauges side by side, each showing one of the five vehicle values
// chosen in the list under it. The needles move towards the shown frame's values one step
// per 50 ms, so they never jump. The main window shows the panel, feeds it the values of
// every shown frame and is told when it closes.
#include "engine/SensorSamples.h"
#include "engine/VehicleValues.h"
#include "skin/CSkinDialog.h"
#include "views/ObdGauge.h"
#include "views/ObdGaugePainter.h"

#include <QBasicTimer>

#include <array>
#include <cstdint>
#include <functional>

class QComboBox;

namespace kestrel {

class CResourceImage;

class CObdDlg : public CSkinDialog {
    Q_OBJECT
  public:
    static constexpr int kListFirst = 1003;
    static constexpr int kTimerFirst = 1000;
    static constexpr int kStepMs = 50;
    static constexpr double kOpacity = 229.0 / 255.0;
    static constexpr QPoint kPlacement{6, 407};

    explicit CObdDlg(QWidget* parent = nullptr);

    // The five item values, in item order (throttle, engine speed, manifold pressure, coolant,
    // speed), as the main window converted them.
    std::array<int32_t, 5> Values{0, 0, 90, 0, 0};
    ExtendedVehicleValues Extended;
    int GpsValid = 0;

    // The values of the vehicle sample linked to the shown frame, read under the recording's
    // vehicle-data letter. Without a sample the values shown stay.
    void SetValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid);

    void SetPictures(const CResourceImage& bank);
    // Whether the engine is ready and playing: the lists are greyed then.
    void SetPlayingQuery(std::function<bool()> playing) { playing_ = std::move(playing); }
    // Before each showing: placed and sized on the first call at the main window's top-left
    // corner plus (6, 407); every call selects items 0, 1, 2 and starts the three timers.
    void ShowPanel(QWidget* mainWindow, int width, int height);

    const ObdGauge& Gauge(int g) const { return gauges_[static_cast<size_t>(g)]; }
    QComboBox* List(int g) const { return lists_[static_cast<size_t>(g)]; }
    int GaugeTop() const { return gaugeTop_; }
    bool TimerRunning(int g) const { return timers_[static_cast<size_t>(g)].isActive(); }
    // One animation step of gauge `g`, as its timer makes it.
    void Step(int g);
    // The gauges as painted, into `painter` at the window's coordinates.
    void DrawGauges(QPainter& painter);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void CreateLists();
    void OnListChanged(int g, int selection);
    void StopTimers();
    void NotifyClosed();
    bool Playing() const { return playing_ && playing_(); }

    QWidget* main_ = nullptr;
    bool placed_ = false;
    bool listsCreated_ = false;
    int gaugeTop_ = 1;
    std::array<ObdGauge, 3> gauges_{};
    std::array<QComboBox*, 3> lists_{};
    std::array<QBasicTimer, 3> timers_{};
    GaugePictures pictures_;
    QPixmap canvas_;
    std::function<bool()> playing_;
};

} // namespace kestrel
