// The DC a painter draws on: the one it was handed, or, when it was handed none (nullptr), the
// whole-window DC of the window it paints, which is given back when the painter is done.
#pragma once
#include <windows.h>

namespace zarvio::skin {

class TargetDc {
public:
    TargetDc(HWND hwnd, HDC given) : hwnd_(hwnd), dc_(given ? given : GetWindowDC(hwnd)), owned_(!given) {}
    ~TargetDc() {
        if (owned_ && dc_) (void)ReleaseDC(hwnd_, dc_);
    }
    TargetDc(const TargetDc&) = delete;
    TargetDc& operator=(const TargetDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    bool owned_;
};

}  // namespace zarvio::skin
