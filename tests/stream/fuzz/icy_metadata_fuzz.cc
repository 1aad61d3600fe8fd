// libFuzzer target for the ICY metadata splitter, the title reader and the UTF-8 check, built
// natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/icy_metadata.cpp platform/text_utf8.cpp
//
// The first input byte is the metadata interval (0: none), the second seeds how the rest, the
// received bytes, is cut into reads. Whatever the cuts, the splitter must give what one plain
// walk over all the bytes gives; audio, length bytes and block bytes must account for every
// input byte; titles must come from their block; the UTF-8 check must agree with a decoder that
// works code point by code point.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "player/stream/formats/icy_metadata.h"

using namespace zarvio::stream;
using zarvio::IsValidUtf8;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Walk {
    std::string audio;
    std::vector<std::string> blocks;
    size_t lengthBytes = 0;
    size_t blockBytes = 0;  // including padding and a last block cut short
};

Walk WalkAll(std::string_view s, size_t interval) {
    Walk w;
    if (interval == 0) {
        w.audio = s;
        return w;
    }
    size_t pos = 0;
    while (pos < s.size()) {
        const size_t run = std::min(interval, s.size() - pos);
        w.audio += s.substr(pos, run);
        pos += run;
        if (pos == s.size()) break;
        const size_t length = static_cast<unsigned char>(s[pos]) * size_t{16};
        ++pos;
        ++w.lengthBytes;
        const size_t have = std::min(length, s.size() - pos);
        w.blockBytes += have;
        if (have == length) {
            std::string block(s.substr(pos, length));
            while (!block.empty() && block.back() == '\0') block.pop_back();
            if (!block.empty()) w.blocks.push_back(block);
        }
        pos += have;
    }
    return w;
}

bool DecodesAsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        int extra;
        uint32_t cp;
        if (lead < 0x80) { extra = 0; cp = lead; }
        else if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
        else return false;
        if (s.size() - i - 1 < static_cast<size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += 1 + extra;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t interval = data[0];
    uint32_t cuts = data[1] * 2654435761u + 1;
    const std::string_view wire(reinterpret_cast<const char*>(data + 2), size - 2);

    const Walk expected = WalkAll(wire, interval);
    Check(expected.audio.size() + expected.lengthBytes + expected.blockBytes == wire.size());

    IcySplitter splitter(interval);
    std::string audio;
    std::vector<std::string> blocks;
    size_t pos = 0;
    while (pos < wire.size()) {
        cuts = cuts * 1103515245u + 12345u;
        const size_t n = std::min<size_t>((cuts >> 16) % 300, wire.size() - pos);
        const size_t blocksBefore = blocks.size();
        splitter.Feed({data + 2 + pos, n}, audio, blocks);
        pos += n;
        Check(splitter.AudioBytes() == audio.size());
        Check(audio.size() <= expected.audio.size());
        Check(blocks.size() >= blocksBefore && blocks.size() <= expected.blocks.size());
    }
    Check(audio == expected.audio);
    Check(blocks == expected.blocks);

    for (const std::string& block : blocks) {
        Check(!block.empty() && block.back() != '\0' && block.size() <= 255 * 16);
        Check(IsValidUtf8(block) == DecodesAsUtf8(block));
        const std::optional<std::string> title = StreamTitleOf(block);
        if (!title) continue;
        Check(IsValidUtf8(*title) == DecodesAsUtf8(*title));
        Check(title->find("';") == std::string::npos);
        // The title sits right after its key in the block.
        const std::string keyed = "StreamTitle='" + *title;
        Check(block.find(keyed) != std::string::npos);
    }
    // The UTF-8 check on the raw bytes too, where every byte value occurs.
    Check(IsValidUtf8(wire) == DecodesAsUtf8(wire));
    return 0;
}
