#pragma once
// The five vehicle values the OBD panel's gauges can show, in the order of its drop-down
// lists, with each gauge's range, the value its needle rests at and its dial picture.
namespace kestrel {

enum ObdItem : int {
    ObdThrottle = 0,
    ObdEngineSpeed = 1,
    ObdManifoldPressure = 2,
    ObdCoolant = 3,
    ObdSpeed = 4,
    kObdItemCount = 5,
};

struct ObdItemInfo {
    const char* Text; // UTF-8, the drop-down text
    int Maximum;      // the range is 0 to Maximum
    int Resting;
    int Dial; // picture number
};

inline const ObdItemInfo& InfoOf(int item) {
    static const ObdItemInfo kItems[kObdItemCount] = {
        {"スロットル開度", 100, 0, 309}, {"エンジン回転数", 100, 0, 307},
        {"インマニ圧", 220, 90, 320},    {"エンジン水温", 105, 0, 321},
        {"スピード", 300, 0, 325},
    };
    return kItems[item >= 0 && item < kObdItemCount ? item : 0];
}

} // namespace kestrel
