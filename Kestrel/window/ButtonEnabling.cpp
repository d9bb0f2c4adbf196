#include "window/ButtonEnabling.h"

namespace kestrel {

std::array<bool, ButtonEnabling::kCount> ButtonEnabling::Compute(const ButtonInputs& in) {
    std::array<bool, kCount> on{};
    if (in.Busy)
        return on;
    on[Csv] = in.CsvBlocked == 0;
    if (in.ListCount <= 0) {
        on[Browse] = true;
        return on;
    }
    const bool playing = in.EngineReady && in.PlayState == 2;
    const bool paused = in.EngineReady && in.PlayState == 3;
    const bool single = in.ListCount == 1;
    on[Start] = playing || paused;
    on[Previous] = !(single || in.CurrentIndex == 0);
    on[PlayPause] = playing || in.SensorDataLoaded == 1;
    on[Slower] = playing && in.SpeedCode >= -1;
    on[Faster] = playing && in.SpeedCode < 4;
    on[Next] = !(single || in.CurrentIndex == in.ListCount - 1);
    on[Snapshot] = in.SensorDataLoaded == 1;
    on[Zoom] = in.SensorDataLoaded == 1;
    on[Join] = in.SourceKind == SourceSdCard;
    on[Browse] = true;
    on[Delete] = in.SourceKind != SourceFile;
    on[Settings] = true;
    return on;
}

} // namespace kestrel
