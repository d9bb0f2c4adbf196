#include "views/GraphPainter.h"

#include "views/EventKind.h"
#include "views/ViewPictures.h"

#include <QBitmap>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrel {
namespace {

constexpr QColor kBand(170, 0, 0, 127);
constexpr int kBandHeight = 21;
constexpr double kLimitG = 2.0;
constexpr int kThinning = 7; // runs of equal heights keep every seventh point

struct Mark {
    int X;
    int Kind;
};

// One drawing pass over the visible slots.
class CurvePass {
  public:
    CurvePass(QPainter& painter, QSize client, const GraphState& state, const GraphEvents& events,
              const GraphSamples& data)
        : p_(painter), h_(client.height()), state_(state), events_(events), data_(data) {}

    void Run(int width);
    void DrawMarks(const GraphPictures& pictures);

  private:
    struct Axis {
        int LastX = 0;
        int LastY = 0;
        int PendingX = 0;
        int PendingY = 0;
        int RunCount = 0;
    };

    static double Value(const GSensorSample& s, int axis) {
        return axis == 0 ? s.X : axis == 1 ? s.Y : s.Z;
    }
    void Segment(const GSensorSample& sample, int x, bool closing);
    void Line(Axis& axis, int x, int y);
    void Band(int x);
    void EvaluateMarks(int slot, int x);
    bool SpeedingContinues(int slot) const;
    bool OwnShown(int kind) const {
        return kind < KindEmergencyStop ||
               events_.Entries[GraphEvents::EntryOfKind(kind)].ShowOnGraph;
    }

    QPainter& p_;
    int h_;
    const GraphState& state_;
    const GraphEvents& events_;
    const GraphSamples& data_;
    int baseline_ = 75;
    int amp_ = 72;
    std::array<Axis, 3> axes_{};
    std::array<QPen, 3> pens_{QPen(QColor(0, 255, 0), 0), QPen(QColor(255, 0, 0), 0),
                              QPen(QColor(128, 128, 255), 0)};
    std::array<std::vector<Mark>, GraphEvents::kEntryCount> marks_{};
};

void CurvePass::Line(Axis& axis, int x, int y) {
    const int limit = baseline_ - 5;
    const int fromY = std::clamp(axis.LastY, -limit, limit);
    const int toY = std::clamp(y, -limit, limit);
    p_.drawLine(state_.LeftMargin + axis.LastX, baseline_ - fromY, state_.LeftMargin + x,
                baseline_ - toY);
    axis.LastX = x;
    axis.LastY = toY;
}

void CurvePass::Segment(const GSensorSample& sample, int x, bool closing) {
    for (int a = 0; a < 3; ++a) {
        if (!events_.Entries[static_cast<size_t>(a)].ShowOnGraph)
            continue;
        Axis& axis = axes_[static_cast<size_t>(a)];
        double g = Value(sample, a);
        if (std::fabs(g) > kLimitG)
            g = g < 0 ? -kLimitG : kLimitG;
        const int y = static_cast<int>(amp_ * g);
        ++axis.RunCount;
        p_.setPen(pens_[static_cast<size_t>(a)]);
        if (y != axis.LastY) {
            if (axis.RunCount > kThinning)
                Line(axis, axis.PendingX, axis.PendingY);
            axis.RunCount = 0;
            Line(axis, x, y);
        } else if (closing || axis.RunCount % kThinning == 0) {
            Line(axis, x, y);
        }
        axis.PendingX = x;
        axis.PendingY = y;
    }
}

void CurvePass::Band(int x) {
    const QPainter::CompositionMode mode = p_.compositionMode();
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p_.fillRect(QRect(x, h_ - kBandHeight, 2, kBandHeight), kBand);
    p_.setCompositionMode(mode);
}

bool CurvePass::SpeedingContinues(int slot) const {
    if (!events_.Entries[GraphEvents::kSpeedingEntry].ShowOnGraph)
        return false;
    int kind = -1;
    const bool starts = events_.ClassifySlot(data_, slot, GraphEvents::kSpeedingEntry, kind);
    return kind == KindSpeeding && !starts;
}

void CurvePass::EvaluateMarks(int slot, int x) {
    const auto take = [&](int entry) {
        int kind = -1;
        const bool starts = events_.ClassifySlot(data_, slot, entry, kind);
        if (kind < 0)
            return false;
        if (starts && OwnShown(kind))
            marks_[static_cast<size_t>(entry)].push_back({x, kind});
        if (kind == KindSpeeding)
            Band(x);
        return true;
    };
    if (events_.Entries[GraphEvents::kSpeedingEntry].ShowOnGraph)
        take(GraphEvents::kSpeedingEntry);
    for (int entry = 0; entry < GraphEvents::kEntryCount; ++entry) {
        if (entry == GraphEvents::kSpeedingEntry ||
            !events_.Entries[static_cast<size_t>(entry)].ShowOnGraph)
            continue;
        if (take(entry))
            break;
    }
}

void CurvePass::Run(int width) {
    const int n = data_.SlotCount();
    if (n <= 0 || n <= state_.Position || !data_.Samples || data_.Samples->empty())
        return;
    const int plotW = width - state_.LeftMargin - 1;
    const int h = state_.BitmapHeight;
    baseline_ = h / 2;
    amp_ = (h - 6) / (std::clamp(state_.ScaleMode, 0, 3) + 1);
    const double pps = GraphPainter::PixelsPerSlot(width, state_.LeftMargin, &data_);
    const double step = std::max(pps, 1.0);
    const double start = (1.0 - pps / step) * state_.Position;
    const double visible = plotW / step;

    const GSensorSample* first = data_.SampleAt(static_cast<int>(start));
    if (!first)
        return;
    for (int a = 0; a < 3; ++a) {
        Axis& axis = axes_[static_cast<size_t>(a)];
        axis.LastY = axis.PendingY = static_cast<int>(amp_ * Value(*first, a));
    }
    const QPen previousPen = p_.pen();
    p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);

    int prevX = 0;
    int lastSlot = -1;
    for (int k = 0; k < visible; ++k) {
        const int j = static_cast<int>(k + start);
        if (k >= n || j >= n)
            break;
        const GSensorSample* sample = data_.SampleAt(j);
        if (!sample)
            break;
        const int x = static_cast<int>(k * step);
        if (k > 0 && x - prevX >= 2 && SpeedingContinues(j)) {
            for (int m = 1; m < x - prevX; ++m)
                Band(state_.LeftMargin + prevX + m);
        }
        Segment(*sample, x, false);
        EvaluateMarks(j, state_.LeftMargin + x);
        prevX = x;
        lastSlot = j;
    }
    if (lastSlot >= 0) {
        Segment(*data_.SampleAt(lastSlot), plotW, true);
        const int tail = state_.LeftMargin + prevX + 1;
        if (step > 1.0) {
            const int whole = static_cast<int>(step);
            if (SpeedingContinues(lastSlot)) {
                for (int m = 0; m <= whole; ++m)
                    Band(tail + m);
            }
            EvaluateMarks(lastSlot, tail + whole + 1);
        } else {
            EvaluateMarks(lastSlot, tail);
        }
    }
    p_.setPen(previousPen);
}

void CurvePass::DrawMarks(const GraphPictures& pictures) {
    const QFontMetrics metrics(pictures.LabelFont);
    for (auto& list : marks_) {
        for (const Mark& mark : list) {
            if (mark.X < state_.LeftMargin)
                continue;
            const EventKindStyle& style = StyleOf(mark.Kind);
            p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            p_.setPen(QPen(style.Pen, 0));
            // The line from the bottom to the top, as a one-pixel fill: the raster engine
            // ORs a fill in one pass, where a line under the same mode goes the slow way.
            p_.fillRect(QRect(mark.X, 0, 1, h_ + 1), style.Pen);
            p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            // A label's row gives the line its text stands on.
            const int bottom = state_.BitmapHeight - 5 + style.Row * pictures.RowStep;
            if (mark.Kind == KindSupportSteer) {
                if (!pictures.Star.isNull())
                    p_.drawPixmap(mark.X + 1, bottom - 11, pictures.Star);
                continue;
            }
            const QFont previous = p_.font();
            p_.setFont(pictures.LabelFont);
            p_.setPen(Qt::white);
            p_.drawText(QRect(mark.X + 1, bottom - metrics.height(), 40, metrics.height()),
                        Qt::AlignLeft | Qt::AlignBottom | Qt::TextDontClip,
                        QString::fromUtf8(style.Label));
            p_.setFont(previous);
        }
        list.clear();
    }
}

} // namespace

void GraphPictures::Set(const std::array<const QPixmap*, 4>& scales, const QPixmap* star) {
    for (size_t i = 0; i < Scales.size(); ++i)
        Scales[i] = scales[i] ? *scales[i] : QPixmap();
    Star = QPixmap();
    if (star) {
        Star = *star;
        Star.setMask(QBitmap::fromImage(
            star->toImage().createMaskFromColor(pictures::kStarKey, Qt::MaskOutColor)));
    }
}

double GraphPainter::PixelsPerSlot(int width, int leftMargin, const GraphSamples* data) {
    const int n = data ? data->SlotCount() : 0;
    if (width <= 0 || n <= 0)
        return 0.0;
    return static_cast<double>(width - leftMargin - 1) / n;
}

bool GraphPainter::Draw(QPainter& painter, QSize client, const GraphState& state,
                        const GraphEvents& events, const GraphSamples* data,
                        const GraphPictures& pictures) {
    const int w = client.width();
    const int h = client.height();
    if (state.TileWidth <= 0 || w <= 0)
        return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, w, h), Qt::black);
    const QPixmap& scale = pictures.Scales[static_cast<size_t>(std::clamp(state.ScaleMode, 0, 3))];
    if (!scale.isNull()) {
        for (int i = 0; i * state.TileWidth < w; ++i)
            painter.drawPixmap(((w - i * state.TileWidth) / 5) * 5, 0, scale);
        painter.drawPixmap(0, 0, scale);
    }
    if (state.DataLoaded && data) {
        CurvePass pass(painter, client, state, events, *data);
        pass.Run(w);
        pass.DrawMarks(pictures);
    }
    if (state.TimelineRange > 0) {
        const float scaleX =
            static_cast<float>(w - state.LeftMargin) / static_cast<float>(state.TimelineRange);
        const int x =
            static_cast<int>(static_cast<float>(state.Position) * scaleX) + state.LeftMargin;
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawLine(x, 0, x, h);
    }
    painter.restore();
    return true;
}

} // namespace kestrel
