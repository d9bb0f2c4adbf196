#pragma once
// Where a gauge's needle points for each value: degrees clockwise from straight up, rising
// around the dial through 360 to 0. The dials are not linear, so each item has its own table,
// fixed at the values the dial's marks stand for and straight between them; the dial artwork
// draws its marks from the same tables.
namespace kestrel {

class ObdNeedleAngles {
  public:
    // The angle of `value` on item `item`'s dial; the value is clamped to the item's range.
    static double Angle(int item, int value);
    // Angle unwrapped past 360, so that the dial's sweep is one rising number.
    static double Unwrapped(int item, int value);
};

} // namespace kestrel
