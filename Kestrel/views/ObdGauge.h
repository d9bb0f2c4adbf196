#pragma once
// One gauge of the OBD panel: which item it shows and where its needle is. The needle never
// jumps: every 50 ms timer tick moves it one step towards the value of the shown frame.
namespace kestrel {

struct ObdGauge {
    int Item = -1;   // the drop-down selection; -1 until the panel is first shown
    int Resting = 0; // where the needle stands when it is not moving
    int Shown = 0;   // where the needle is during a movement
    int Target = 0;  // where the movement goes
    int Rising = 0;
    int Moving = 0;
    int Started = 0; // drawn once since the item was chosen

    // Back to "nothing shown yet", keeping the item.
    void Clear();
    // A new item: any movement is dropped and the needle rests at the item's resting value.
    void Choose(int item);
    // One timer tick with `value`, the item's value at the shown frame. True when the needle
    // has to be drawn again.
    bool Tick(int value);
    // The value the needle is drawn at.
    int DrawnValue() const { return Moving ? Shown : Resting; }

    // `value` limited to item `item`'s range.
    static int Clamp(int item, int value);
    // How far one tick moves the needle of `item` when `distance` is still to go.
    static int StepSize(int item, int distance);

  private:
    void Step();
};

} // namespace kestrel
