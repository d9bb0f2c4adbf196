#include "engine/OverlayText.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// The font file fontconfig picks for the description; the character set Shift-JIS asks
// for a Japanese face, so a missing family falls back to one that has the glyphs.
bool FindFontFile(const OverlayFontSpec& spec, std::string& file, int& index) {
    if (FcInit() == FcFalse)
        return false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(spec.FaceName.c_str()));
    if (spec.CharSet == 128)
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        spec.Weight >= 700 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return false;
    FcChar8* path = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
            index = 0;
    }
    FcPatternDestroy(match);
    return found;
}

// UTF-8 to code points; a malformed byte stands for itself so that nothing is lost.
std::vector<char32_t> CodePoints(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0)
            extra = 0;
        if (extra > 0 && i + static_cast<size_t>(extra) >= text.size())
            extra = 0;
        char32_t cp = extra == 0 ? c : static_cast<char32_t>(c & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok) {
            cp = c;
            extra = 0;
        }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

class FontFace {
  public:
    ~FontFace() {
        if (face_ != nullptr)
            FT_Done_Face(face_);
        if (library_ != nullptr)
            FT_Done_FreeType(library_);
    }
    bool Open(const std::string& file, int index, int pixelHeight) {
        if (FT_Init_FreeType(&library_) != 0)
            return false;
        if (FT_New_Face(library_, file.c_str(), index, &face_) != 0)
            return false;
        return FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelHeight)) == 0;
    }
    FT_Face Face() const { return face_; }
    int Advance(char32_t cp) {
        if (FT_Load_Char(face_, cp, FT_LOAD_DEFAULT) != 0)
            return 0;
        return static_cast<int>(face_->glyph->advance.x >> 6);
    }

  private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Lines of at most `width` pixels: broken at the last space that fits, or anywhere in a
// word longer than a line (Japanese text has no spaces).
std::vector<std::vector<char32_t>> WrapLines(FontFace& font, const std::vector<char32_t>& text,
                                             int width) {
    std::vector<std::vector<char32_t>> lines(1);
    int lineWidth = 0;
    for (char32_t cp : text) {
        if (cp == U'\r')
            continue;
        if (cp == U'\n') {
            lines.emplace_back();
            lineWidth = 0;
            continue;
        }
        const int advance = font.Advance(cp);
        std::vector<char32_t>& line = lines.back();
        if (lineWidth + advance > width && !line.empty()) {
            const auto space = std::find(line.rbegin(), line.rend(), U' ');
            std::vector<char32_t> carried;
            if (space != line.rend() && cp != U' ') {
                const auto at = space.base();
                carried.assign(at, line.end());
                line.erase(at - 1, line.end());
            }
            lines.push_back(std::move(carried));
            lineWidth = 0;
            for (char32_t c : lines.back())
                lineWidth += font.Advance(c);
            if (cp == U' ')
                continue;
        }
        lines.back().push_back(cp);
        lineWidth += advance;
    }
    return lines;
}

void DrawGlyph(const FT_GlyphSlot glyph, int penX, int baseline, OverlayBitmap& bitmap) {
    const FT_Bitmap& b = glyph->bitmap;
    for (unsigned row = 0; row < b.rows; ++row) {
        const int y = baseline - glyph->bitmap_top + static_cast<int>(row);
        if (y < 0 || y >= OverlayBitmap::kHeight)
            continue;
        for (unsigned col = 0; col < b.width; ++col) {
            const int x = penX + glyph->bitmap_left + static_cast<int>(col);
            if (x < 0 || x >= OverlayBitmap::kWidth)
                continue;
            const uint8_t coverage =
                b.buffer[static_cast<int>(row) * b.pitch + static_cast<int>(col)];
            uint8_t& green = bitmap.Pixels[(static_cast<size_t>(y) * OverlayBitmap::kWidth +
                                            static_cast<size_t>(x)) *
                                               4 +
                                           1];
            green = std::max(green, coverage);
        }
    }
}

} // namespace

bool DrawOverlayBitmap(const OverlayFontSpec& spec, const std::string& text,
                       OverlayBitmap& bitmap) {
    bitmap.Pixels.assign(static_cast<size_t>(OverlayBitmap::kWidth) * OverlayBitmap::kHeight * 4,
                         0);
    // No text needs no font: the snapshot clears the overlay this way before it saves.
    if (text.empty())
        return true;
    std::string file;
    int index = 0;
    if (!FindFontFile(spec, file, index))
        return false;
    FontFace font;
    const int height = std::max(1, std::abs(spec.Height));
    if (!font.Open(file, index, height))
        return false;
    const FT_Face face = font.Face();
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    const int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    int baseline = ascender;
    for (const std::vector<char32_t>& line :
         WrapLines(font, CodePoints(text), OverlayBitmap::kWidth)) {
        if (baseline - ascender >= OverlayBitmap::kHeight)
            break;
        int penX = 0;
        for (char32_t cp : line) {
            if (FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0)
                continue;
            DrawGlyph(face->glyph, penX, baseline, bitmap);
            penX += static_cast<int>(face->glyph->advance.x >> 6);
        }
        baseline += lineHeight;
    }
    return true;
}

} // namespace kestrel
