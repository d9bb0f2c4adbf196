#include "views/CInfoDlg.h"

#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "skin/COffScreenDC.h"
#include "skin/CResourceImage.h"
#include "skin/CSkinCheckButton.h"
#include "skin/SkinPictures.h"
#include "views/ViewPictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CInfoDlg::CInfoDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < 3; ++i) {
        auto* button = new CSkinCheckButton(kAxisButtonFirst + i, QString(), this);
        button->SetImage(pictures::kCheckBox);
        button->setFont(SharedFonts::Font10());
        // The box stands 4 pixels into the button: (26, 40) to (38, 52) and 120 pixels apart.
        button->setGeometry(26 + 120 * i, 36, 12, 16);
        button->setChecked(true);
        connect(button, &CSkinCheckButton::clicked, this, [this, i] { OnAxisButton(i); });
        buttons_[static_cast<size_t>(i)] = button;
    }
}

void CInfoDlg::SetLayout(int layout) {
    Layout = std::clamp(layout, 0, 2);
    for (CSkinCheckButton* button : buttons_)
        button->setVisible(Layout == InfoPainter::Small);
    update();
}

QString CInfoDlg::DrawnKey() const {
    const Readouts r = Values();
    QString key = InfoPainter::DateTimeText(r) + u'|' + InfoPainter::SpeedText(r);
    for (const double g : r.Accel)
        key += u'|' + InfoPainter::AccelText(g);
    return key + QStringLiteral("|%1|%2|%3|%4|%5")
                     .arg(static_cast<int>(static_cast<unsigned char>(r.AudioState)))
                     .arg(r.GpsValid)
                     .arg(r.QualityIndex)
                     .arg(Layout)
                     .arg(r.SpeedLabel);
}

void CInfoDlg::Refresh() {
    // A tick that changes nothing the strip shows (the same second, speed and G values)
    // repaints nothing: most ticks are such.
    QString key = DrawnKey();
    if (key == drawnKey_)
        return;
    drawnKey_ = std::move(key);
    if (Layout != InfoPainter::Large) {
        update();
        return;
    }
    if (QWidget* main = parentWidget())
        main->update(InfoPainter::LargeStrip(main->rect()));
}

void CInfoDlg::OnAxisButton(int axis) {
    int& on = axisOn_[static_cast<size_t>(axis)];
    on = on ? 0 : 1;
    buttons_[static_cast<size_t>(axis)]->setChecked(on != 0);
    PostAppEvent(parentWidget(), WM_APP_AXIS_TOGGLE, axis, on);
}

void CInfoDlg::SetAccel(double x, double y, double z) {
    Accel[0] = x;
    Accel[1] = y;
    Accel[2] = z;
}

void CInfoDlg::ResetReadouts() {
    SpeedKmh = -1.0;
    SetAccel(-5.0, -5.0, -5.0);
    Slot = -1;
    AudioState = 'M';
    GpsValid = 0;
    QualityIndex = 0;
    if (Layout == InfoPainter::Large)
        Refresh();
    else
        repaint();
}

void CInfoDlg::ClearData() {
    StartTime = DateTime{};
    DataValid = 0;
    TimeLapse = 0;
    VehicleData = 0;
    FrameMs = 0.0;
    ResetReadouts();
}

Readouts CInfoDlg::Values() const {
    Readouts r;
    r.DataValid = DataValid;
    r.StartTime = StartTime;
    r.TimeLapse = TimeLapse;
    r.FrameMs = FrameMs;
    r.Slot = Slot;
    for (int i = 0; i < 3; ++i)
        r.Accel[i] = Accel[i];
    r.GpsValid = GpsValid;
    r.SpeedKmh = SpeedKmh;
    r.AudioState = AudioState;
    r.QualityIndex = QualityIndex;
    r.SpeedLabel = SpeedLabel;
    return r;
}

void CInfoDlg::DrawStrip(QPainter& painter, QSize client) const {
    if (!bank_ || client.width() <= 0)
        return;
    const QRect all(QPoint(0, 0), client);
    painter.fillRect(all, Qt::black);
    if (const QPixmap* background = bank_->Picture(pictures::kStripBackground))
        painter.drawPixmap(all, *background);
    InfoPainter::DrawReadouts(painter, Layout, all, Values(), *bank_);
}

void CInfoDlg::DrawLarge(QPainter& painter, const QRect& mainClient) const {
    if (bank_)
        InfoPainter::DrawReadouts(painter, InfoPainter::Large, mainClient, Values(), *bank_);
}

void CInfoDlg::DrawVolumeIcon(QPainter& painter, const QRect& mainClient) const {
    const QPixmap* icon = bank_ ? bank_->Picture(pictures::kVolumeIcon) : nullptr;
    if (!icon)
        return;
    const QPoint at(mainClient.left() + mainClient.width() - 155,
                    mainClient.top() + mainClient.height() - 30);
    painter.drawPixmap(at, *icon, QRect(QPoint(0, 0), QSize(30, 20) * icon->devicePixelRatio()));
}

void CInfoDlg::paintEvent(QPaintEvent*) {
    QPainter window(this);
    if (!surface_ || !surface_->IsValid() || Layout == InfoPainter::Large) {
        window.fillRect(rect(), Qt::black);
        return;
    }
    // The buttons are children drawn over the strip, so the strip itself covers their places.
    surface_->EnsureSize(size());
    {
        QPainter off(&surface_->Bitmap());
        DrawStrip(off, size());
    }
    surface_->CopyTo(window, QPoint(0, 0), size());
}

void CInfoDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
