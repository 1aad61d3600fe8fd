// The pure halves of HLS segment decryption (AES-128 CBC itself is the platform's BCrypt).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zarvio::stream {

// The IV of a segment whose EXT-X-KEY gives none: its media sequence number as a 16-byte
// big-endian number.
std::array<uint8_t, 16> IvFromSequenceNumber(uint64_t sequence);

// The length of decrypted data once its PKCS#7 padding is taken off, or nullopt when the data
// is no whole number of 16-byte blocks or its padding is malformed (a wrong key, a cut body):
// the last byte n is 1 to 16 and the last n bytes all equal n.
std::optional<size_t> Pkcs7UnpaddedSize(std::span<const uint8_t> decrypted);

}  // namespace zarvio::stream
