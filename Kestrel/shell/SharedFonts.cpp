#include "shell/SharedFonts.h"

#include <QStringList>

#include <algorithm>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

namespace kestrel {
namespace {

constexpr std::array<int, SharedFonts::kCount> kPoints{9, 10, 13, 17, 22};

// The Japanese face the texts ask for is not installed on Linux desktops; fontconfig's nearest
// face with Japanese glyphs stands in for it.
constexpr const char* kJapaneseFallback = "Noto Sans CJK JP";

std::array<std::optional<QFont>, SharedFonts::kCount>& Fonts() {
    static std::array<std::optional<QFont>, SharedFonts::kCount> fonts;
    return fonts;
}

// a * b / c rounded half away from zero, with a wide intermediate.
int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = (c > 0 ? c : -c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = ((product < 0 ? -product : product) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace

int SharedFonts::PixelHeight(int points, double dpiX, double dpiY) {
    const double scale = dpiX > 0.0 ? dpiX / 96.0 : 1.0;
    const int scaledPoints = static_cast<int>(points / scale);
    return MulDiv(scaledPoints, static_cast<int>(std::lround(dpiY)), 72);
}

void SharedFonts::Create(const QString& faceName, double dpiX, double dpiY) {
    if (QFont::substitutes(faceName).isEmpty()) {
        QFont::insertSubstitution(faceName, QString::fromUtf8(kJapaneseFallback));
    }
    for (int i = 0; i < kCount; ++i) {
        QFont font(faceName);
        font.setPixelSize(std::max(1, PixelHeight(kPoints[i], dpiX, dpiY)));
        font.setWeight(QFont::Normal);
        Fonts()[i] = font;
    }
}

void SharedFonts::Destroy() {
    for (auto& font : Fonts())
        font.reset();
}

bool SharedFonts::Created() {
    return Fonts()[F9].has_value();
}

const QFont& SharedFonts::Get(Id id) {
    const auto& font = Fonts()[id];
    if (font)
        return *font;
    static const QFont fallback;
    return fallback;
}

int SharedFonts::Points(Id id) {
    return kPoints[id];
}

} // namespace kestrel
