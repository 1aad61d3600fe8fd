// The frames of everything else: a sunken client edge becomes a one-pixel line in the skin's
// blue, lists and grids get a blue frame over their own drawing, and progress bars are drawn by
// the skin entirely, frame and bar.
#pragma once
#include <windows.h>

#include "skin/message_handler.h"

namespace zarvio::skin {

// Non-client paint of every kind.
MessageHandler BorderNcPaint;

// Client paint of progress bars (not passed on), data lists and drop-down lists (framed after
// their own paint) and grids (framed when they have a border).
MessageHandler ProgressPaint, ListFramePaint, GridPaint;

// The share of the bar a progress position fills: position / 30000, the scale of the
// progress bars the skin knows.
float ProgressFraction(HWND hwnd);

}  // namespace zarvio::skin
