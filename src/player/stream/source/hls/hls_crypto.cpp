#include "player/stream/source/hls/hls_crypto.h"

namespace zarvio::stream {

std::array<uint8_t, 16> IvFromSequenceNumber(uint64_t sequence) {
    std::array<uint8_t, 16> iv{};
    for (int i = 15; i >= 8; --i) {
        iv[i] = static_cast<uint8_t>(sequence & 0xFF);
        sequence >>= 8;
    }
    return iv;
}

std::optional<size_t> Pkcs7UnpaddedSize(std::span<const uint8_t> decrypted) {
    constexpr size_t kBlock = 16;
    if (decrypted.empty() || decrypted.size() % kBlock != 0) return std::nullopt;
    const uint8_t n = decrypted.back();
    if (n == 0 || n > kBlock) return std::nullopt;
    for (size_t i = decrypted.size() - n; i < decrypted.size(); ++i) {
        if (decrypted[i] != n) return std::nullopt;
    }
    return decrypted.size() - n;
}

}  // namespace zarvio::stream
