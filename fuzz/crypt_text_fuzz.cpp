// Drives CryptText with any key of 0 to 55 bytes and any text of 0 to 255
// bytes, in areas of their real sizes, in both modes. Oracles: OpenSSL's
// ECB of the zero-padded text, the inverse gives the padded text back, and
// nothing is written past 8 x block count bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <openssl/blowfish.h>

#include "blowfish.h"
#include "crypt_text.h"
#include "message_host.h"

namespace {

constexpr size_t kKeyArea = 56;
constexpr size_t kInputArea = 256;
constexpr size_t kOutputArea = 257;
constexpr unsigned char kMark = 0xC3;

void Check(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "oracle failed: %s\n", what);
        abort();
    }
}

} // namespace

// Input: one byte of key length (mod 56), one byte of mode, the key bytes,
// then the text. Zero bytes end the key or the text early, as they would.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t keyLength = data[0] % kKeyArea;
    const CryptMode mode = (data[1] & 1) ? CRYPT_ENCRYPT : CRYPT_DECRYPT;
    data += 2;
    size -= 2;
    if (size < keyLength)
        return 0;

    // Exact-size heap areas, so AddressSanitizer sees any step outside.
    unsigned char* key = static_cast<unsigned char*>(calloc(kKeyArea, 1));
    unsigned char* input = static_cast<unsigned char*>(calloc(kInputArea, 1));
    unsigned char* output = static_cast<unsigned char*>(malloc(kOutputArea));
    if (!key || !input || !output) {
        // No room for this input: nothing to check.
        free(key);
        free(input);
        free(output);
        return 0;
    }
    memcpy(key, data, keyLength);
    const size_t textLength = size - keyLength < kInputArea - 1 ? size - keyLength : kInputArea - 1;
    memcpy(input, data + keyLength, textLength);
    // Marked, not zero, so that any write shows; the transform never reads it.
    memset(output, kMark, kOutputArea);

    const size_t n = strlen(reinterpret_cast<char*>(input));
    const size_t written = (n + 7) / 8 * 8;
    const int messagesBefore = HostMessages().count;
    CryptText(output, input, key, mode);

    if (n == 0) {
        Check(HostMessages().count == messagesBefore + 1, "an empty text shows the message");
    } else {
        Check(HostMessages().count == messagesBefore, "a text shows no message");
        BF_KEY bf;
        const size_t effectiveKey = strlen(reinterpret_cast<char*>(key));
        // OpenSSL takes no empty key; an empty key schedules as a zero byte.
        const unsigned char zero = 0;
        BF_set_key(&bf, effectiveKey ? static_cast<int>(effectiveKey) : 1, effectiveKey ? key : &zero);
        unsigned char expect[kInputArea] = {};
        for (size_t b = 0; b < written; b += 8)
            BF_ecb_encrypt(input + b, expect + b, &bf, mode == CRYPT_ENCRYPT ? BF_ENCRYPT : BF_DECRYPT);
        Check(memcmp(output, expect, written) == 0, "the result equals OpenSSL's");

        // The inverse, under the subkeys CryptText left, gives the padded
        // text back.
        unsigned char back[kInputArea] = {};
        CryptBlocks(back, output, static_cast<int>(written / 8),
                    mode == CRYPT_ENCRYPT ? CRYPT_DECRYPT : CRYPT_ENCRYPT);
        Check(memcmp(back, input, written) == 0, "the inverse gives the padded text back");
    }
    for (size_t i = written; i < kOutputArea; ++i)
        Check(output[i] == kMark, "nothing is written past 8 x block count bytes");

    free(key);
    free(input);
    free(output);
    return 0;
}
