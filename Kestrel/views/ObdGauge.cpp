#include "views/ObdGauge.h"

#include "views/ObdItems.h"

#include <algorithm>
#include <cstdlib>

namespace kestrel {

void ObdGauge::Clear() {
    Resting = Shown = Target = 0;
    Rising = Moving = Started = 0;
}

void ObdGauge::Choose(int item) {
    Moving = 0;
    Started = 0;
    Item = item;
    Resting = InfoOf(item).Resting;
}

int ObdGauge::Clamp(int item, int value) {
    return std::clamp(value, 0, InfoOf(item).Maximum);
}

int ObdGauge::StepSize(int item, int distance) {
    switch (item) {
    case ObdManifoldPressure:
        return distance >= 6 ? 6 : 1;
    case ObdSpeed:
        return distance >= 8 ? 8 : distance >= 2 ? 2 : 1;
    default:
        return distance >= 2 ? 2 : 1;
    }
}

void ObdGauge::Step() {
    const int step = StepSize(Item, std::abs(Target - Shown));
    Shown += Rising ? step : -step;
}

bool ObdGauge::Tick(int value) {
    if (Item < 0 || Item >= kObdItemCount)
        return false;
    if (Moving) {
        if (Shown == Target) {
            Resting = Shown;
            Moving = 0;
            return false;
        }
        Step();
        return true;
    }
    const int v = Clamp(Item, value);
    if (v == Resting && Started)
        return false;
    Shown = Resting;
    Target = v;
    if (Shown != Target) {
        Rising = Resting < v;
        Step();
        Moving = 1;
    }
    Started = 1;
    return true;
}

} // namespace kestrel
