// The UTF-8 check of platform/text.h, apart from the conversions that need Windows, so that the
// parsers' fuzz runs, built for this machine, can link it.
#include "platform/text.h"

#include <cstddef>

namespace zarvio {

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The range of the first continuation byte is what rules out overlong forms (E0, F0),
        // surrogates (ED) and code points above U+10FFFF (F4); the others are always 80..BF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;  // a continuation byte without a lead, C0, C1 or F5..FF
        }
        if (n - i < length) return false;
        if (p[i + 1] < low || p[i + 1] > high) return false;
        for (size_t k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace zarvio
