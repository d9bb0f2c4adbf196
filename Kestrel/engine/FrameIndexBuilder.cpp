#include "engine/FrameIndexBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrel {
namespace {

// Each frame shows sample k; k moves on by at most one sample per frame, once the next
// sample's frame has been reached.
void FillFrameIndex(const GSensorSampleList& g, FrameIndexList& index) {
    size_t k = 0;
    for (size_t f = 0; f < index.size(); ++f) {
        if (g.empty()) break;
        index[f] = &g[k];
        if (k + 1 < g.size() && static_cast<int64_t>(g[k + 1].Time) <= static_cast<int64_t>(f)) {
            ++k;
        }
    }
}

// Walks the G samples with a GPS cursor: a GPS sample takes the G and vehicle samples of
// the first G sample on or after its frame; a G sample takes the GPS and vehicle samples
// three steps behind the cursor. Returns the peak |X|, |Y| or |Z|.
double LinkSamples(GpsSampleList& gps, GSensorSampleList& g, const ObdSampleList& obd) {
    double maxX = 0.0;
    double maxY = 0.0;
    double maxZ = 0.0;
    size_t j = 0;
    for (size_t i = 0; i < g.size(); ++i) {
        maxX = std::max(maxX, std::fabs(g[i].X));
        maxY = std::max(maxY, std::fabs(g[i].Y));
        maxZ = std::max(maxZ, std::fabs(g[i].Z));
        if (gps[j].Time <= g[i].Time) {
            gps[j].LinkedG = &g[i];
            gps[j].LinkedObd = i < obd.size() ? &obd[i] : nullptr;
            if (j + 1 < gps.size()) ++j;
        }
        const size_t behind = j >= 3 ? j - 3 : 0;
        g[i].LinkedGps = &gps[behind];
        g[i].LinkedObd = behind < obd.size() ? &obd[behind] : nullptr;
    }
    return std::max({maxX, maxY, maxZ});
}

} // namespace

int32_t FrameOfTime(int32_t timeMs, float framePeriodMs) {
    const float frame = std::trunc(static_cast<float>(timeMs) / framePeriodMs);
    if (std::isnan(frame)) return 0;
    if (frame <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    if (frame >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(frame);
}

bool BuildFrameIndex(BoxScanner& scanner, int64_t frames) {
    const float period = scanner.FramePeriod;
    if (frames <= 0 || frames > kMaxIndexedFrames || !scanner.GpsSamples ||
        !scanner.GSensorSamples || !scanner.ObdSamples || !scanner.FrameIndex ||
        period == 0.0f || !std::isfinite(period)) {
        return false;
    }
    GpsSampleList& gps = *scanner.GpsSamples;
    GSensorSampleList& g = *scanner.GSensorSamples;
    scanner.FrameIndex->assign(static_cast<size_t>(frames), nullptr);
    for (GSensorSample& sample : g) sample.Time = FrameOfTime(sample.Time, period);
    for (GpsSample& sample : gps) sample.Time = FrameOfTime(sample.Time, period);
    FillFrameIndex(g, *scanner.FrameIndex);
    scanner.PeakG = gps.empty() ? 0.0 : LinkSamples(gps, g, *scanner.ObdSamples);
    return true;
}

} // namespace kestrel
