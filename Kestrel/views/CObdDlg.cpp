#include "views/CObdDlg.h"

#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "views/ObdItems.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QPainter>
#include <QTimerEvent>

namespace kestrel {

CObdDlg::CObdDlg(QWidget* parent) : CSkinDialog(parent) {
    setFont(SharedFonts::Font10());
    setWindowOpacity(kOpacity);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    canvas_ = QPixmap(ObdGaugePainter::kCanvasWidth, ObdGaugePainter::kCanvasHeight);
}

void CObdDlg::SetValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid) {
    GpsValid = gpsValid;
    if (!obd)
        return;
    Values[ObdThrottle] = VehicleValues::ThrottleOpening(*obd);
    Values[ObdEngineSpeed] = VehicleValues::EngineSpeed(*obd);
    Values[ObdManifoldPressure] = VehicleValues::IntakePressure(*obd);
    Values[ObdCoolant] = VehicleValues::CoolantTemperature(*obd);
    Values[ObdSpeed] = VehicleValues::VehicleSpeed(*obd);
    Extended.Update(vehicleDataLetter, *obd);
}

void CObdDlg::SetPictures(const CResourceImage& bank) {
    pictures_.Set(bank);
}

void CObdDlg::CreateLists() {
    const int top = gaugeTop_ + 153;
    for (int g = 0; g < 3; ++g) {
        auto* list = new QComboBox(this);
        list->setObjectName(QStringLiteral("ObdList%1").arg(kListFirst + g));
        for (int item = 0; item < kObdItemCount; ++item)
            list->addItem(QString::fromUtf8(InfoOf(item).Text));
        list->setGeometry(17 + 212 * g, top, 180, 22);
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, g](int selection) { OnListChanged(g, selection); });
        list->show();
        lists_[static_cast<size_t>(g)] = list;
    }
    listsCreated_ = true;
}

void CObdDlg::ShowPanel(QWidget* mainWindow, int width, int height) {
    main_ = mainWindow;
    if (!placed_) {
        resize(width, height);
        if (mainWindow)
            move(mainWindow->geometry().topLeft() + kPlacement);
        placed_ = true;
    }
    gaugeTop_ = std::max(1, (height - 183) / 2);
    if (!listsCreated_)
        CreateLists();
    for (int g = 0; g < 3; ++g) {
        QComboBox* list = lists_[static_cast<size_t>(g)];
        {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(g);
        }
        list->move(17 + 212 * g, gaugeTop_ + 153);
        list->setEnabled(true);
        ObdGauge& gauge = gauges_[static_cast<size_t>(g)];
        gauge.Clear();
        gauge.Choose(g);
        timers_[static_cast<size_t>(g)].start(kStepMs, this);
    }
}

void CObdDlg::OnListChanged(int g, int selection) {
    if (selection < 0 || selection >= kObdItemCount)
        return;
    gauges_[static_cast<size_t>(g)].Choose(selection);
    if (Playing())
        lists_[static_cast<size_t>(g)]->setEnabled(false);
    timers_[static_cast<size_t>(g)].start(kStepMs, this);
}

void CObdDlg::Step(int g) {
    const bool playing = Playing();
    for (int i = 0; i < 3; ++i) {
        if (QComboBox* list = lists_[static_cast<size_t>(i)])
            list->setEnabled(!(playing && gauges_[static_cast<size_t>(i)].Item >= 0));
    }
    QComboBox* list = lists_[static_cast<size_t>(g)];
    if (!list || list->currentIndex() < 0 || list->currentIndex() >= kObdItemCount)
        return;
    ObdGauge& gauge = gauges_[static_cast<size_t>(g)];
    if (gauge.Tick(Values[static_cast<size_t>(gauge.Item)]))
        update(QRect(2 + 212 * g, gaugeTop_, 210, 151));
}

void CObdDlg::DrawGauges(QPainter& painter) {
    for (int g = 0; g < 3; ++g) {
        const ObdGauge& gauge = gauges_[static_cast<size_t>(g)];
        if (gauge.Item < 0 || gauge.Item >= kObdItemCount)
            continue;
        {
            QPainter canvas(&canvas_);
            ObdGaugePainter::Draw(canvas, gauge.Item, gauge.DrawnValue(), pictures_);
        }
        painter.drawPixmap(QPoint(2 + 212 * g, gaugeTop_), canvas_, QRect(0, 0, 210, 151));
    }
}

void CObdDlg::paintEvent(QPaintEvent* event) {
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    DrawGauges(painter);
}

void CObdDlg::timerEvent(QTimerEvent* event) {
    for (int g = 0; g < 3; ++g) {
        if (event->timerId() == timers_[static_cast<size_t>(g)].timerId()) {
            Step(g);
            return;
        }
    }
    CSkinDialog::timerEvent(event);
}

void CObdDlg::StopTimers() {
    for (QBasicTimer& timer : timers_)
        timer.stop();
}

void CObdDlg::NotifyClosed() {
    StopTimers();
    PostAppEvent(main_ ? main_ : parentWidget(), WM_APP_OBD_PANEL);
}

void CObdDlg::closeEvent(QCloseEvent* event) {
    NotifyClosed();
    CSkinDialog::closeEvent(event);
}

void CObdDlg::reject() {
    NotifyClosed();
    CSkinDialog::reject();
}

} // namespace kestrel
