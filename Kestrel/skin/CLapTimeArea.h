#pragma once
// The text style of the main window's off-screen surface: transparent background, white text
// and Font10 while the area exists; the font selected before comes back when it goes.
#include <QFont>

namespace kestrel {

class COffScreenDC;

class CLapTimeArea {
  public:
    explicit CLapTimeArea(COffScreenDC& surface) : surface_(surface) {}
    ~CLapTimeArea();
    CLapTimeArea(const CLapTimeArea&) = delete;
    CLapTimeArea& operator=(const CLapTimeArea&) = delete;

    void Setup(const QFont& font);

  private:
    COffScreenDC& surface_;
    QFont previousFont_;
    bool set_ = false;
};

} // namespace kestrel
