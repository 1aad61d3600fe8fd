// AES-128 in CBC mode through the platform's cryptography (BCrypt), for encrypted HLS segments.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zarvio::stream {

using AesKey = std::array<uint8_t, 16>;
using AesIv = std::array<uint8_t, 16>;

// Decrypts whole 16-byte blocks, nothing removed. Nullopt when the data is not a whole number of
// blocks or the platform refuses.
std::optional<std::vector<uint8_t>> DecryptAes128CbcBlocks(const AesKey& key, const AesIv& iv,
                                                           std::span<const uint8_t> data);

// Decrypts and removes the PKCS#7 padding HLS segments carry. Nullopt when the padding is not
// valid (a wrong key, or a cut segment).
std::optional<std::vector<uint8_t>> DecryptAes128Cbc(const AesKey& key, const AesIv& iv,
                                                     std::span<const uint8_t> data);

}  // namespace zarvio::stream
