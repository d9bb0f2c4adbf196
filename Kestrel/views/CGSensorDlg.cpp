#include "views/CGSensorDlg.h"

#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "skin/COffScreenDC.h"
#include "skin/CResourceImage.h"
#include "views/ViewPictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CGSensorDlg::CGSensorDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    pictures_.LabelFont = SharedFonts::Font10();
}

void CGSensorDlg::SetPictures(const CResourceImage& bank) {
    std::array<const QPixmap*, 4> scales{};
    for (size_t i = 0; i < scales.size(); ++i)
        scales[i] = bank.Picture(pictures::kScaleBackgrounds[i]);
    pictures_.Set(scales, bank.Picture(pictures::kStar));
    pictures_.LabelFont = SharedFonts::Font10();
    if (const QPixmap* tenth = bank.Picture(pictures::kScale10))
        state_.BitmapHeight = static_cast<int>(tenth->height() / tenth->devicePixelRatio());
}

void CGSensorDlg::SetData(GraphEvents* events, const GraphSamples* samples) {
    events_ = events;
    data_ = samples;
    if (events_)
        events_->ExtendedKinds = extendedKinds_;
}

void CGSensorDlg::SetPlaybackPosition(int slot, int timelineRange) {
    state_.LeftMargin = kLeftMargin;
    state_.TimelineRange = timelineRange;
    state_.Position = slot;
    state_.TileWidth = kScaleWidth - state_.LeftMargin;
    repaint();
}

int CGSensorDlg::ScaleForPeak(double peak) {
    if (peak >= 1.5)
        return 3;
    if (peak >= 1.0)
        return 2;
    if (peak >= 0.5)
        return 1;
    return 0;
}

void CGSensorDlg::SelectScaleForPeak(double peak) {
    state_.ScaleMode = ScaleForPeak(peak);
}

void CGSensorDlg::SetScaleMode(int mode) {
    state_.ScaleMode = std::clamp(mode, 0, 3);
    update();
}

void CGSensorDlg::SetDataState(bool loaded, bool extendedKinds) {
    state_.DataLoaded = loaded ? 1 : 0;
    extendedKinds_ = extendedKinds ? 1 : 0;
    if (events_)
        events_->ExtendedKinds = extendedKinds_;
}

void CGSensorDlg::SetEntryVisibility(int entry, bool shown) {
    if (!events_ || entry < 0 || entry >= GraphEvents::kEntryCount)
        return;
    events_->Entries[static_cast<size_t>(entry)].ShowOnGraph = shown ? 1 : 0;
    events_->Entries[static_cast<size_t>(entry)].ShowOnMap = shown ? 1 : 0;
    update();
}

double CGSensorDlg::PixelsPerSlot() const {
    return GraphPainter::PixelsPerSlot(width(), state_.LeftMargin, data_);
}

bool CGSensorDlg::DrawGraph(QPainter& painter, QSize client) const {
    static const GraphEvents kNoEvents;
    return GraphPainter::Draw(painter, client, state_, events_ ? *events_ : kNoEvents,
                              events_ ? data_ : nullptr, pictures_);
}

void CGSensorDlg::paintEvent(QPaintEvent*) {
    QPainter window(this);
    if (!surface_ || !surface_->IsValid() || width() <= 0) {
        window.fillRect(rect(), Qt::black);
        return;
    }
    surface_->EnsureSize(size() + QSize(0, 1));
    bool drawn = false;
    {
        QPainter off(&surface_->Bitmap());
        drawn = DrawGraph(off, size());
    }
    if (drawn)
        surface_->CopyTo(window, QPoint(0, 0), size());
    else
        window.fillRect(rect(), Qt::black);
}

void CGSensorDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CGSensorDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PostAppEvent(parentWidget(), WM_APP_GRAPH_LEFT);
    else if (event->button() == Qt::RightButton)
        PostAppEvent(parentWidget(), WM_APP_GRAPH_RIGHT);
    event->accept();
}

} // namespace kestrel
