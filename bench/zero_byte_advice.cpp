// How often the advice after a zero byte works: of random typed texts whose
// cipher text, shown up to its first zero byte, does not decrypt to them,
// the share whose cipher text comes back after a space is added at the
// start (the advice), within one, two and three tries, and after a space at
// the end (the advice until 1.2.0). A text over 248 bytes cannot come back
// at all. Texts are printable ASCII, keys 4 to 20 such characters.
//   zero_byte_advice [TEXTS [SEED]]    TEXTS a length class, 20000 unless given
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>

#include "crypt_text.h"

namespace {

constexpr size_t kMostThatComesBack = 248;

// Whether the cipher text of text, cut at its first zero byte as the window
// shows it, decrypts to text.
bool ComesBack(const std::string& key, const std::string& text)
{
    if (text.size() > kMostThatComesBack)
        return false;
    unsigned char k[56] = {}, in[256] = {}, out[257] = {}, back[257] = {};
    memcpy(k, key.data(), key.size());
    memcpy(in, text.data(), text.size());
    CryptText(out, in, k, CRYPT_ENCRYPT);
    unsigned char shown[256] = {};
    memcpy(shown, out, strlen(reinterpret_cast<char*>(out)));
    if (shown[0] == 0)
        return false;
    CryptText(back, shown, k, CRYPT_DECRYPT);
    return memcmp(back, in, sizeof in) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int texts = argc > 1 ? atoi(argv[1]) : 20000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], NULL, 10)) : std::random_device{}();
    std::mt19937 rng(seed);
    auto in = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    printf("seed %u, %d texts a length class whose cipher text does not come back\n", seed, texts);
    printf("| Text length | Space at the start, 1 try | 2 tries | 3 tries | Space at the end |\n");
    printf("|---|---|---|---|---|\n");
    const int classes[][2] = {{1, 8}, {9, 16}, {17, 32}, {33, 64}, {65, 128}, {129, 248}};
    for (const auto& range : classes) {
        int cleared[3] = {}, atTheEnd = 0;
        for (int found = 0; found < texts;) {
            std::string key, text;
            for (int i = in(4, 20); i > 0; --i)
                key += static_cast<char>(in(0x20, 0x7E));
            for (int i = in(range[0], range[1]); i > 0; --i)
                text += static_cast<char>(in(0x20, 0x7E));
            if (ComesBack(key, text))
                continue;
            ++found;
            atTheEnd += ComesBack(key, text + " ");
            for (int tries = 1; tries <= 3; ++tries) {
                if (ComesBack(key, std::string(tries, ' ') + text)) {
                    for (int t = tries - 1; t < 3; ++t)
                        ++cleared[t];
                    break;
                }
            }
        }
        printf("| %d to %d | %.1f %% | %.1f %% | %.1f %% | %.1f %% |\n", range[0], range[1], 100.0 * cleared[0] / texts,
               100.0 * cleared[1] / texts, 100.0 * cleared[2] / texts, 100.0 * atTheEnd / texts);
    }
    return 0;
}
