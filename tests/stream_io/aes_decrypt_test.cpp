#include "player/stream/source/hls/aes_decrypt.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvio::stream {
namespace {

std::vector<uint8_t> Hex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}
template <typename A>
A Array(const std::string& hex) {
    A a{};
    const auto v = Hex(hex);
    std::copy(v.begin(), v.end(), a.begin());
    return a;
}

TEST(AesDecrypt, TheStandardsCbcVectorDecrypts) {
    // NIST SP 800-38A, F.2.2 CBC-AES128.Decrypt, first two blocks.
    const auto key = Array<AesKey>("2b7e151628aed2a6abf7158809cf4f3c");
    const auto iv = Array<AesIv>("000102030405060708090a0b0c0d0e0f");
    const auto cipher = Hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
    const auto plain = DecryptAes128CbcBlocks(key, iv, cipher);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"));
}

TEST(AesDecrypt, PaddingIsRemovedAndCheckedLikeASegmentsIs) {
    const auto key = Array<AesKey>("000102030405060708090a0b0c0d0e0f");
    const auto iv = Array<AesIv>("0f0e0d0c0b0a09080706050403020100");
    // "Zarvio segment!!!" (17 bytes) encrypted with PKCS#7 padding by another implementation.
    const auto cipher = Hex("a3ea9ed308e27d5808a656a8e50fccaf45f473d6da56fe9b45f5e348bcef0f23");
    const auto plain = DecryptAes128Cbc(key, iv, cipher);
    ASSERT_TRUE(plain);
    EXPECT_EQ(std::string(plain->begin(), plain->end()), "Zarvio segment!!!");

    auto wrongKey = key;
    wrongKey[0] ^= 1;
    EXPECT_FALSE(DecryptAes128Cbc(wrongKey, iv, cipher)) << "a wrong key shows in the padding";
    EXPECT_FALSE(DecryptAes128Cbc(key, iv, std::span(cipher).first(31))) << "a cut segment is no whole block";
    EXPECT_FALSE(DecryptAes128Cbc(key, iv, {}));
}

}  // namespace
}  // namespace zarvio::stream
