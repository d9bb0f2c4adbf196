#pragma once
// Numbers of the viewer's pictures. Views and controls ask the picture bank for them by number.
namespace kestrel::pictures {

// Window icon.
inline constexpr int kAppIcon = 128;
// Main window background, 1200 x 750, stretched over the window.
inline constexpr int kBackground = 129;

// Command button strips: four 32 x 32 cells (normal, hover, pressed, disabled).
inline constexpr int kButtonCsv = 137;
inline constexpr int kButtonDelete = 138;
inline constexpr int kButtonFaster = 139;
inline constexpr int kButtonSlower = 142;
inline constexpr int kButtonPrevious = 144;
inline constexpr int kButtonNext = 145;
inline constexpr int kButtonBrowse = 146;
inline constexpr int kButtonPause = 147;
inline constexpr int kButtonPlay = 148;
inline constexpr int kButtonJoin = 150;
inline constexpr int kButtonSettings = 151;
inline constexpr int kButtonSnapshot = 153;
inline constexpr int kButtonStart = 154;
inline constexpr int kButtonZoom = 200;

// Caption buttons: close (four 46 x 18 cells), minimise and size (four 26 x 18 cells).
inline constexpr int kCaptionClose = 155;
inline constexpr int kCaptionMinimise = 156;
inline constexpr int kCaptionSize = 157;
// The close button of skinned dialogs: four 13 x 12 cells.
inline constexpr int kDialogClose = 352;
// Check boxes: four 12 x 12 cells.
inline constexpr int kCheckBox = 217;
inline constexpr int kCheckBoxSource = 327;

// Position slider: filled and empty parts 800 x 10, thumb and pressed thumb 25 x 10.
inline constexpr int kSeekFilled = 174;
inline constexpr int kSeekEmpty = 159;
inline constexpr int kSeekThumb = 160;
inline constexpr int kSeekThumbPressed = 161;
// Volume slider: filled and empty parts 100 x 20, thumb and pressed thumb 10 x 20.
inline constexpr int kVolumeFilled = 167;
inline constexpr int kVolumeEmpty = 168;
inline constexpr int kVolumeThumb = 169;
inline constexpr int kVolumeThumbPressed = 170;

// Logo panel, 452 x 392. The map draws its lines without a connection too, so no logo tells
// of a missing connection.
inline constexpr int kLogo = 355;

// Quality badges 1 to 6 (60 x 35): 360, 720 and 1080 lines, each high then low quality.
inline constexpr int kQualityBadges[6] = {198, 199, 196, 197, 192, 195};

} // namespace kestrel::pictures
