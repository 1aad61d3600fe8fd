// The skin's five built-in images. They are surfaces the painters copy from and never change.
//   ButtonImage  7 x 84   four 7 x 21 push-button cells: normal, hover, pressed, disabled
//   ComboImage  15 x 18   drop-down button cells 4 x 18 (hover x 0, pressed x 4) and
//                         7 x 4 arrows at x 8 (enabled y 0, disabled y 4)
//   MarkImage   18 x 24   check mark (y 0), indeterminate square (y 9), option dot (y 18);
//                         enabled in x 0-8, disabled in x 9-17
//   OptionImage 13 x 52   four 13 x 13 option circles: normal, hover, pressed, disabled
//   HeaderImage  9 x 20   three 3 x 20 header cells: normal, hover, pressed
// Magenta (kKeyColor) fills what colour-keyed copies leave out.
#pragma once
#include <windows.h>

namespace zarvio::skin {

// Builds all five (again, when they exist already). Called before the first window is skinned.
void BuildSkinImages();

// Frees all five; the accessors then return nullptr until the next BuildSkinImages.
void ReleaseSkinImages();

HDC ButtonImage();
HDC ComboImage();
HDC MarkImage();
HDC OptionImage();
HDC HeaderImage();

}  // namespace zarvio::skin
