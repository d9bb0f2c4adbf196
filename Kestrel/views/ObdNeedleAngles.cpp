#include "views/ObdNeedleAngles.h"

#include "views/ObdItems.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace kestrel {
namespace {

struct Anchor {
    int Value;
    double Degrees; // unwrapped: past the top the angle goes on above 360
};

// The marks each dial is drawn with. Between two marks the needle moves evenly.
const std::vector<Anchor>& AnchorsOf(int item) {
    static const std::array<std::vector<Anchor>, kObdItemCount> kAnchors = {{
        {{0, 261.5}, {10, 282.0}, {49, 358.0}, {50, 360.0}, {51, 361.0}, {90, 438.0}, {100, 459.0}},
        {{0, 261.5}, {15, 292.0}, {50, 360.0}, {60, 379.0}, {100, 459.0}},
        {{0, 251.5},
         {70, 321.0},
         {71, 323.5},
         {90, 340.5},
         {109, 359.0},
         {110, 360.0},
         {220, 468.0}},
        {{0, 261.5}, {1, 263.5}, {49, 358.0}, {50, 360.0}, {104, 466.0}, {105, 468.0}},
        {{0, 261.5}, {149, 359.0}, {150, 360.0}, {300, 459.0}},
    }};
    return kAnchors[static_cast<size_t>(item >= 0 && item < kObdItemCount ? item : 0)];
}

std::array<std::vector<double>, kObdItemCount> BuildTables() {
    std::array<std::vector<double>, kObdItemCount> tables;
    for (int item = 0; item < kObdItemCount; ++item) {
        const std::vector<Anchor>& anchors = AnchorsOf(item);
        std::vector<double>& table = tables[static_cast<size_t>(item)];
        table.resize(static_cast<size_t>(InfoOf(item).Maximum) + 1);
        for (size_t a = 0; a + 1 < anchors.size(); ++a) {
            const Anchor& lo = anchors[a];
            const Anchor& hi = anchors[a + 1];
            for (int v = lo.Value; v <= hi.Value; ++v) {
                const double t = static_cast<double>(v - lo.Value) / (hi.Value - lo.Value);
                // Rounded to a tenth of a degree, so that the marks land on the listed angles.
                table[static_cast<size_t>(v)] =
                    std::round((lo.Degrees + t * (hi.Degrees - lo.Degrees)) * 10.0) / 10.0;
            }
        }
    }
    return tables;
}

const std::vector<double>& TableOf(int item) {
    static const std::array<std::vector<double>, kObdItemCount> kTables = BuildTables();
    return kTables[static_cast<size_t>(item >= 0 && item < kObdItemCount ? item : 0)];
}

} // namespace

double ObdNeedleAngles::Unwrapped(int item, int value) {
    const std::vector<double>& table = TableOf(item);
    const int v = std::clamp(value, 0, static_cast<int>(table.size()) - 1);
    return table[static_cast<size_t>(v)];
}

double ObdNeedleAngles::Angle(int item, int value) {
    const double a = Unwrapped(item, value);
    return a >= 360.0 ? a - 360.0 : a;
}

} // namespace kestrel
