#pragma once
// Numbers of the data views' pictures in the picture bank.
namespace kestrel::pictures {

// G-sensor graph: the scale backgrounds (800 x 150: grid, dotted 0 G line, labels in the
// 50-pixel left margin) for ±0.5, ±1, ±1.5 and ±2 G, and the 11 x 11 star of drive-support
// steering on its key colour.
inline constexpr int kScale05 = 163;
inline constexpr int kScale10 = 162;
inline constexpr int kScale15 = 188;
inline constexpr int kScale20 = 189;
inline constexpr int kScaleBackgrounds[4] = {kScale05, kScale10, kScale15, kScale20};
inline constexpr int kStar = 176;

// Information strip: background (720 x 77), microphones for 'R', 'r' and 'M', satellite
// (42 x 35), volume (30 x 21).
inline constexpr int kStripBackground = 201;
inline constexpr int kMicRecording = 331;
inline constexpr int kMicQuiet = 332;
inline constexpr int kMicOff = 333;
inline constexpr int kSatellite = 348;
inline constexpr int kVolumeIcon = 190;

// Placeholder dashes: the date (small, medium, large), the speed (small, medium, large) and
// the G values of the small (X, Y, Z; 45 x 18) and the medium layout.
inline constexpr int kDateDashes[3] = {206, 202, 218};
inline constexpr int kSpeedDashes[3] = {211, 212, 219};
inline constexpr int kGDashesSmall[3] = {209, 210, 208};
inline constexpr int kGDashesMedium[3] = {203, 204, 205};

// OBD panel: the dials (210 x 151 on white, which is left out when drawn) of throttle,
// engine speed, manifold pressure, coolant and speed, the needle (22 x 106) and its mask.
inline constexpr int kDialThrottle = 309;
inline constexpr int kDialEngineSpeed = 307;
inline constexpr int kDialManifold = 320;
inline constexpr int kDialCoolant = 321;
inline constexpr int kDialSpeed = 325;
inline constexpr int kNeedle = 312;
inline constexpr int kNeedleMask = 313;

// The key colour of the star, left transparent where the star is drawn.
inline constexpr unsigned kStarKey = 0xff141428u;

} // namespace kestrel::pictures
