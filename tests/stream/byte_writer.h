// Big-endian byte building for the container tests, which write their inputs themselves.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace zarvio::test {

using Bytes = std::vector<uint8_t>;

// Kept out of line: inlined into builders of constant bytes, GCC 12 warns of overflows that
// cannot happen in the vector's growth.
[[gnu::noinline]] inline void PutBE(Bytes& b, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) b.push_back(uint8_t(value >> (8 * i)));
}
[[gnu::noinline]] inline void PutText(Bytes& b, std::string_view text) { b.insert(b.end(), text.begin(), text.end()); }
[[gnu::noinline]] inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) Append(out, p);
    return out;
}

// A tag of ID3v2.<version> around already encoded frames.
inline Bytes Id3Syncsafe(uint32_t v) {
    return {uint8_t(v >> 21 & 0x7F), uint8_t(v >> 14 & 0x7F), uint8_t(v >> 7 & 0x7F), uint8_t(v & 0x7F)};
}
inline Bytes Id3Frame(std::string_view id, const Bytes& body, int version = 4, uint8_t formatFlags = 0) {
    Bytes f;
    PutText(f, id);
    if (version == 4) Append(f, Id3Syncsafe(uint32_t(body.size())));
    else PutBE(f, body.size(), 4);
    f.push_back(0);
    f.push_back(formatFlags);
    Append(f, body);
    return f;
}
inline Bytes Id3TagBytes(const Bytes& body, int version = 4, uint8_t flags = 0) {
    Bytes t = {'I', 'D', '3', uint8_t(version), 0, flags};
    Append(t, Id3Syncsafe(uint32_t(body.size())));
    Append(t, body);
    return t;
}
inline Bytes Id3Text(uint8_t encoding, const Bytes& text) {
    Bytes b = {encoding};
    Append(b, text);
    return b;
}
inline Bytes Id3Latin1(std::string_view text) {
    Bytes b = {0};
    PutText(b, text);
    return b;
}
inline Bytes Id3TimestampBody(uint64_t eightBytes) {
    Bytes b;
    PutText(b, "com.apple.streaming.transportStreamTimestamp");
    b.push_back(0);
    PutBE(b, eightBytes, 8);
    return b;
}

}  // namespace zarvio::test
