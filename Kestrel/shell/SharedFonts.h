#pragma once
// The five fonts every view shares. They are made once while the main window initialises, from
// the face name of UI text 113, and dropped when the application ends; views select them and
// never make their own.
#include <QFont>
#include <QString>

namespace kestrel {

class SharedFonts {
  public:
    enum Id { F9, F10, F13, F17, F22, kCount };

    // Character height in pixels of a `points` font on a screen of dpiX by dpiY pixels per
    // inch. The nominal size is first divided by the screen's scale against 96 dpi, so that on
    // scaled screens the height stays near its 96-dpi value.
    static int PixelHeight(int points, double dpiX, double dpiY);

    static void Create(const QString& faceName, double dpiX, double dpiY);
    // Drops the fonts in the order Font9, Font10, Font13, Font17, Font22.
    static void Destroy();
    static bool Created();

    // The font; the application's default font until Create has run.
    static const QFont& Get(Id id);
    static const QFont& Font9() { return Get(F9); }
    static const QFont& Font10() { return Get(F10); }
    static const QFont& Font13() { return Get(F13); }
    static const QFont& Font17() { return Get(F17); }
    static const QFont& Font22() { return Get(F22); }

    // The nominal point size of each font.
    static int Points(Id id);
};

} // namespace kestrel
