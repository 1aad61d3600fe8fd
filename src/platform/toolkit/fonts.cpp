#include "platform/toolkit/fonts.h"

#include "platform/toolkit/twips.h"

namespace zarvio {

Font MakeFont(const FontDescription& d) {
    LOGFONTW lf{};
    lf.lfHeight = FontHeightFromTenths(d.tenthsOfPoint);
    lf.lfWeight = d.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = d.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, d.face, LF_FACESIZE);
    return Font(CreateFontIndirectW(&lf));
}

HFONT FontCache::Get(const FontDescription& d) {
    const Key key{d.face, d.tenthsOfPoint, d.bold, d.underline};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    Font font = MakeFont(d);
    if (!font) return nullptr;  // not kept: a later call tries again
    return fonts_.emplace(key, std::move(font)).first->second.get();
}

}  // namespace zarvio
