// CryptText against OpenSSL's Blowfish ECB of the zero-padded text.
#include <gtest/gtest.h>

#include <string.h>

#include <openssl/blowfish.h>

#include <random>

#include "crypt_text.h"
#include "test_support.h"

namespace {

TEST(OpenSsl, RandomKeysAndTexts)
{
    const unsigned seed = std::random_device{}();
    std::cout << "[ seed     ] OpenSsl.RandomKeysAndTexts: " << seed << "\n";
    ::testing::Test::RecordProperty("seed", static_cast<int>(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> keyLength(1, BLOWFISH_MAX_KEY);
    std::uniform_int_distribution<int> textLength(1, 255);
    std::uniform_int_distribution<int> byte(1, 255);

    int wholeRoundTrips = 0;
    for (int round = 0; round < 1000; ++round) {
        unsigned char key[56] = {};
        const int keyLen = keyLength(rng);
        for (int i = 0; i < keyLen; ++i)
            key[i] = static_cast<unsigned char>(byte(rng));
        unsigned char input[256] = {};
        const int textLen = textLength(rng);
        for (int i = 0; i < textLen; ++i)
            input[i] = static_cast<unsigned char>(byte(rng));
        SCOPED_TRACE("round " + std::to_string(round) + " key " + ToHex(key, static_cast<size_t>(keyLen)) +
                     " text " + ToHex(input, static_cast<size_t>(textLen)));

        const int blocks = (textLen + 7) / 8;
        unsigned char expect[257] = {};
        BF_KEY k;
        BF_set_key(&k, keyLen, key);
        for (int b = 0; b < blocks; ++b)
            BF_ecb_encrypt(input + 8 * b, expect + 8 * b, &k, BF_ENCRYPT);

        unsigned char output[257] = {};
        CryptText(output, input, key, CRYPT_ENCRYPT);
        ASSERT_EQ(memcmp(output, expect, sizeof output), 0);

        // The cipher text is read back as a string, so it ends at its first
        // zero byte: the blocks before the cut come back, the cut block
        // is deciphered zero-padded, as OpenSSL does it.
        unsigned char cipherArea[256] = {};
        memcpy(cipherArea, output, static_cast<size_t>(8 * blocks));
        // The input area never holds more than 255 bytes.
        const size_t cut = strnlen(reinterpret_cast<const char*>(cipherArea), 255);
        memset(cipherArea + cut, 0, sizeof cipherArea - cut);
        unsigned char back[257] = {};
        CryptText(back, cipherArea, key, CRYPT_DECRYPT);
        if (cut == 0)
            continue;
        const size_t backBlocks = (cut + 7) / 8;
        unsigned char expectBack[257] = {};
        for (size_t b = 0; b < backBlocks; ++b)
            BF_ecb_encrypt(cipherArea + 8 * b, expectBack + 8 * b, &k, BF_DECRYPT);
        ASSERT_EQ(memcmp(back, expectBack, sizeof back), 0);
        ASSERT_EQ(memcmp(back, input, cut / 8 * 8), 0);
        if (cut == static_cast<size_t>(8 * blocks)) {
            ASSERT_EQ(memcmp(back, input, 256), 0);
            ++wholeRoundTrips;
        }
    }
    // Most cipher texts hold no zero byte, so most rounds came back whole.
    EXPECT_GT(wholeRoundTrips, 300);
}

} // namespace
