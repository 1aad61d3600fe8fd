// Fonts of the forms' controls, described by face, size and style. A form keeps the fonts it
// made in a cache of its own, so controls with equal descriptions share one font.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/handles.h"

namespace zarvio {

struct FontDescription {
    const wchar_t* face;
    int tenthsOfPoint;  // 105 = 10.5 pt
    bool bold = false;
    bool underline = false;
};

// A new font as described, at the screen's DPI; empty when the system refuses it.
Font MakeFont(const FontDescription& description);

// Owns one font per distinct description.
class FontCache {
public:
    // The font for the description, made on first use; nullptr when it cannot be made.
    HFONT Get(const FontDescription& description);
    void Clear() { fonts_.clear(); }
    size_t size() const { return fonts_.size(); }

private:
    using Key = std::tuple<std::wstring, int, bool, bool>;
    std::map<Key, Font> fonts_;
};

}  // namespace zarvio
