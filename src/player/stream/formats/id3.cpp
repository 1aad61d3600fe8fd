#include "player/stream/formats/id3.h"

#include <string_view>
#include <vector>

namespace zarvio::stream {
namespace {

constexpr size_t kHeaderBytes = 10;
constexpr uint8_t kFlagUnsync = 0x80;
constexpr uint8_t kFlagExtendedHeader = 0x40;
constexpr uint8_t kFlagFooter = 0x10;
constexpr std::string_view kTimestampOwner = "com.apple.streaming.transportStreamTimestamp";

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Syncsafe integers keep the top bit of every byte clear so no false MPEG sync can appear.
std::optional<uint32_t> Syncsafe32(const uint8_t* p) {
    if ((p[0] | p[1] | p[2] | p[3]) & 0x80) return std::nullopt;
    return uint32_t(p[0]) << 21 | uint32_t(p[1]) << 14 | uint32_t(p[2]) << 7 | p[3];
}

// Undoes unsynchronisation: every FF 00 stored in the tag stands for a lone FF.
std::vector<uint8_t> Resynchronised(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
    }
    return out;
}

void AppendUtf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | cp >> 6));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | cp >> 12));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | cp >> 18));
        out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

std::string FromLatin1(std::span<const uint8_t> bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        if (b == 0) break;
        AppendUtf8(b, out);
    }
    return out;
}

std::string FromUtf16(std::span<const uint8_t> bytes, bool bigEndian) {
    std::string out;
    size_t i = 0;
    auto unit = [&](size_t at) {
        return bigEndian ? uint16_t(bytes[at] << 8 | bytes[at + 1])
                         : uint16_t(bytes[at + 1] << 8 | bytes[at]);
    };
    while (i + 1 < bytes.size()) {
        const uint16_t u = unit(i);
        i += 2;
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < bytes.size()) {
            const uint16_t low = unit(i);
            if (low >= 0xDC00 && low < 0xE000) {
                i += 2;
                AppendUtf8(0x10000 + ((uint32_t(u) - 0xD800) << 10) + (low - 0xDC00), out);
                continue;
            }
        }
        AppendUtf8(u >= 0xD800 && u < 0xE000 ? kReplacement : u, out);
    }
    return out;
}

// UTF-8 as the tag holds it, with every malformed sequence replaced so the result is valid.
std::string FromUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    size_t i = 0;
    while (i < bytes.size() && bytes[i] != 0) {
        const uint8_t b = bytes[i];
        size_t need = 0;
        uint32_t cp = 0, min = 0;
        if (b < 0x80) { out.push_back(char(b)); ++i; continue; }
        if ((b & 0xE0) == 0xC0) { need = 1; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { need = 2; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { need = 3; cp = b & 0x07; min = 0x10000; }
        else { AppendUtf8(kReplacement, out); ++i; continue; }
        size_t k = 1;
        for (; k <= need; ++k) {
            if (i + k >= bytes.size() || (bytes[i + k] & 0xC0) != 0x80) break;
            cp = cp << 6 | (bytes[i + k] & 0x3F);
        }
        if (k <= need || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            AppendUtf8(kReplacement, out);
            i += k;  // the lead byte and the continuation bytes that came with it
            continue;
        }
        AppendUtf8(cp, out);
        i += need + 1;
    }
    return out;
}

// A text frame's first string (v2.4 may list several, separated by NULs) in UTF-8.
std::optional<std::string> TextOf(std::span<const uint8_t> body) {
    if (body.empty()) return std::nullopt;
    const uint8_t encoding = body[0];
    body = body.subspan(1);
    switch (encoding) {
        case 0: return FromLatin1(body);
        case 1: {
            bool bigEndian = true;  // without a byte order mark UTF-16 is big-endian
            if (body.size() >= 2 && body[0] == 0xFF && body[1] == 0xFE) {
                bigEndian = false;
                body = body.subspan(2);
            } else if (body.size() >= 2 && body[0] == 0xFE && body[1] == 0xFF) {
                body = body.subspan(2);
            }
            return FromUtf16(body, bigEndian);
        }
        case 2: return FromUtf16(body, true);
        case 3: return FromUtf8(body);
        default: return std::nullopt;
    }
}

std::optional<uint64_t> TimestampOf(std::span<const uint8_t> body) {
    const size_t ownerEnd = std::string_view(reinterpret_cast<const char*>(body.data()), body.size()).find('\0');
    if (ownerEnd == std::string_view::npos) return std::nullopt;
    const std::string_view owner(reinterpret_cast<const char*>(body.data()), ownerEnd);
    if (owner != kTimestampOwner) return std::nullopt;
    const auto data = body.subspan(ownerEnd + 1);
    if (data.size() < 8) return std::nullopt;
    const uint64_t value = uint64_t(BigEndian32(data.data())) << 32 | BigEndian32(data.data() + 4);
    return value & ((uint64_t(1) << 33) - 1);
}

void TakeFrame(std::string_view id, std::span<const uint8_t> body, Id3Tag& tag) {
    if (id == "TIT2") {
        if (auto text = TextOf(body)) tag.title = std::move(*text);
    } else if (id == "TPE1") {
        if (auto text = TextOf(body)) tag.artist = std::move(*text);
    } else if (id == "PRIV") {
        if (auto ts = TimestampOf(body)) tag.timestamp90k = ts;
    }
}

// Reads the frames of a tag body (extended header already skipped).
void ReadFrames(std::span<const uint8_t> frames, int version, bool tagUnsync, Id3Tag& tag) {
    size_t pos = 0;
    while (pos + kHeaderBytes <= frames.size()) {
        const uint8_t* h = frames.data() + pos;
        if (h[0] == 0) break;  // padding
        for (int i = 0; i < 4; ++i) {
            const bool ok = (h[i] >= 'A' && h[i] <= 'Z') || (h[i] >= '0' && h[i] <= '9');
            if (!ok) return;  // not a frame: the rest cannot be trusted
        }
        const std::string_view id(reinterpret_cast<const char*>(h), 4);
        std::optional<uint32_t> size;
        if (version == 4) {
            size = Syncsafe32(h + 4);
            // Some writers store v2.4 frame sizes as plain integers; such a size has a top bit set.
            if (!size) size = BigEndian32(h + 4);
        } else {
            size = BigEndian32(h + 4);
        }
        const uint8_t formatFlags = h[9];
        pos += kHeaderBytes;
        if (*size > frames.size() - pos) return;  // runs past the tag
        std::span<const uint8_t> body = frames.subspan(pos, *size);
        pos += *size;

        bool unsync = false;
        size_t extra = 0;
        if (version == 4) {
            if (formatFlags & 0x0C) continue;  // compressed or encrypted
            if (formatFlags & 0x40) extra += 1;  // group id
            if (formatFlags & 0x01) extra += 4;  // data length indicator
            unsync = tagUnsync || (formatFlags & 0x02);
        } else {
            if (formatFlags & 0xC0) continue;  // compressed or encrypted
            if (formatFlags & 0x20) extra += 1;  // group id
        }
        if (extra > body.size()) continue;
        body = body.subspan(extra);
        if (unsync) {
            const std::vector<uint8_t> plain = Resynchronised(body);
            TakeFrame(id, plain, tag);
        } else {
            TakeFrame(id, body, tag);
        }
    }
}

}  // namespace

size_t Id3TagSize(std::span<const uint8_t> data) {
    if (data.size() < kHeaderBytes) return 0;
    if (data[0] != 'I' || data[1] != 'D' || data[2] != '3') return 0;
    if (data[3] < 2 || data[3] > 4 || data[4] == 0xFF || (data[5] & 0x0F) != 0) return 0;
    const auto size = Syncsafe32(data.data() + 6);
    if (!size) return 0;
    const bool footer = data[3] == 4 && (data[5] & kFlagFooter);
    return kHeaderBytes + *size + (footer ? kHeaderBytes : 0);
}

std::optional<Id3Tag> ParseId3Tag(std::span<const uint8_t> data) {
    const size_t whole = Id3TagSize(data);
    if (whole == 0 || whole > data.size()) return std::nullopt;
    const int version = data[3];
    if (version != 3 && version != 4) return std::nullopt;
    const uint8_t flags = data[5];
    const size_t bodySize = *Syncsafe32(data.data() + 6);
    std::span<const uint8_t> body = data.subspan(kHeaderBytes, bodySize);

    // Version 2.3 unsynchronises the whole tag after its header, 2.4 each frame on its own.
    std::vector<uint8_t> resynced;
    if (version == 3 && (flags & kFlagUnsync)) {
        resynced = Resynchronised(body);
        body = resynced;
    }
    if (flags & kFlagExtendedHeader) {
        if (body.size() < 4) return std::nullopt;
        size_t skip;
        if (version == 3) {
            skip = size_t(BigEndian32(body.data())) + 4;  // the size leaves out its own 4 bytes
        } else {
            const auto size = Syncsafe32(body.data());
            if (!size) return std::nullopt;
            skip = *size;
        }
        if (skip < 4 || skip > body.size()) return std::nullopt;
        body = body.subspan(skip);
    }
    Id3Tag tag;
    ReadFrames(body, version, version == 4 && (flags & kFlagUnsync), tag);
    return tag;
}

std::optional<std::string> DisplayTitleOf(const Id3Tag& tag) {
    if (!tag.title || tag.title->empty()) return std::nullopt;
    if (tag.artist && !tag.artist->empty()) return *tag.artist + " - " + *tag.title;
    return *tag.title;
}

}  // namespace zarvio::stream
