#include "player/stream/source/hls/aes_decrypt.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/handles.h"
#include "player/stream/source/hls/hls_crypto.h"

namespace zarvio::stream {
namespace {

struct AlgorithmTraits {
    static BCRYPT_ALG_HANDLE Invalid() { return nullptr; }
    static void Close(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
    static BCRYPT_KEY_HANDLE Invalid() { return nullptr; }
    static void Close(BCRYPT_KEY_HANDLE h) { BCryptDestroyKey(h); }
};
using Algorithm = UniqueHandle<BCRYPT_ALG_HANDLE, AlgorithmTraits>;
using CipherKey = UniqueHandle<BCRYPT_KEY_HANDLE, KeyTraits>;

bool Ok(NTSTATUS status) { return status >= 0; }

}  // namespace

std::optional<std::vector<uint8_t>> DecryptAes128CbcBlocks(const AesKey& key, const AesIv& iv,
                                                           std::span<const uint8_t> data) {
    if (data.size() % 16 != 0) return std::nullopt;
    if (data.empty()) return std::vector<uint8_t>();
    BCRYPT_ALG_HANDLE a = nullptr;
    if (!Ok(BCryptOpenAlgorithmProvider(&a, BCRYPT_AES_ALGORITHM, nullptr, 0))) return std::nullopt;
    Algorithm algorithm(a);
    static const wchar_t kCbc[] = BCRYPT_CHAIN_MODE_CBC;
    if (!Ok(BCryptSetProperty(a, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(kCbc)),
                              sizeof(kCbc), 0)))
        return std::nullopt;
    BCRYPT_KEY_HANDLE k = nullptr;
    AesKey secret = key;
    if (!Ok(BCryptGenerateSymmetricKey(a, &k, nullptr, 0, secret.data(), static_cast<ULONG>(secret.size()), 0)))
        return std::nullopt;
    CipherKey cipherKey(k);
    AesIv chain = iv;  // BCrypt updates the IV it is given
    std::vector<uint8_t> in(data.begin(), data.end());
    std::vector<uint8_t> out(data.size());
    ULONG written = 0;
    if (!Ok(BCryptDecrypt(k, in.data(), static_cast<ULONG>(in.size()), nullptr, chain.data(),
                          static_cast<ULONG>(chain.size()), out.data(), static_cast<ULONG>(out.size()), &written, 0)))
        return std::nullopt;
    out.resize(written);
    return out;
}

std::optional<std::vector<uint8_t>> DecryptAes128Cbc(const AesKey& key, const AesIv& iv,
                                                     std::span<const uint8_t> data) {
    auto plain = DecryptAes128CbcBlocks(key, iv, data);
    if (!plain) return std::nullopt;
    const std::optional<size_t> size = Pkcs7UnpaddedSize(*plain);
    if (!size) return std::nullopt;
    plain->resize(*size);
    return plain;
}

}  // namespace zarvio::stream
