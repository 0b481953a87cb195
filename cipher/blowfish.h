// Blowfish: key schedule and the transform of one 64-bit block.
#ifndef CORVANE_CIPHER_BLOWFISH_H
#define CORVANE_CIPHER_BLOWFISH_H

#include <stdint.h>

// A block as two 32-bit halves; L holds the block's first four bytes.
struct BlowfishBlock {
    uint32_t L;
    uint32_t R;
};

enum : int {
    BLOWFISH_ROUNDS = 16,
    BLOWFISH_P_WORDS = BLOWFISH_ROUNDS + 2,
    BLOWFISH_S_WORDS = 256,
    BLOWFISH_TABLE_WORDS = BLOWFISH_P_WORDS + 4 * BLOWFISH_S_WORDS, // 1042
    BLOWFISH_MAX_KEY = 55,
};

extern const uint32_t InitialP[BLOWFISH_P_WORDS];
extern const uint32_t InitialS[4][BLOWFISH_S_WORDS];

// The subkeys of the current key. The key schedule fills them as one run of
// 1042 words: WorkP first, then S-box 0 to 3 (see BlowfishWorkWord).
extern uint32_t WorkP[BLOWFISH_P_WORDS];
extern uint32_t WorkS[4][BLOWFISH_S_WORDS];

// Word k of that run: WorkP[k] for k < 18, else entry (k - 18) % 256 of
// S-box (k - 18) / 256.
inline uint32_t& BlowfishWorkWord(int k)
{
    if (k < BLOWFISH_P_WORDS)
        return WorkP[k];
    k -= BLOWFISH_P_WORDS;
    return WorkS[k / BLOWFISH_S_WORDS][k % BLOWFISH_S_WORDS];
}

// key: zero-terminated, 0 to 55 bytes; an empty key schedules like an
// all-zero key.
void BlowfishSetup(const unsigned char* key);

// The round function, over the current S-boxes.
inline uint32_t BlowfishF(uint32_t x)
{
    uint32_t a = WorkS[0][x >> 24];
    uint32_t b = WorkS[1][(x >> 16) & 0xFF];
    uint32_t c = WorkS[2][(x >> 8) & 0xFF];
    uint32_t d = WorkS[3][x & 0xFF];
    return ((a + b) ^ c) + d;
}

// Two rounds per pass, so the halves trade roles instead of being swapped;
// after an even number of rounds they are handed back crossed, which is the
// textbook "no swap after the last round". Each round's subkey is mixed into
// the half that waits for F, which keeps it off the chain of dependent
// rounds. Inline, since the key schedule runs 521 of them back to back.
inline BlowfishBlock BlowfishEncryptBlock(uint32_t L, uint32_t R)
{
    L ^= WorkP[0];
    for (int i = 1; i < BLOWFISH_ROUNDS; i += 2) {
        R = (R ^ WorkP[i]) ^ BlowfishF(L);
        L = (L ^ WorkP[i + 1]) ^ BlowfishF(R);
    }
    R ^= WorkP[BLOWFISH_ROUNDS + 1];
    return BlowfishBlock{R, L};
}

inline BlowfishBlock BlowfishDecryptBlock(uint32_t L, uint32_t R)
{
    L ^= WorkP[BLOWFISH_ROUNDS + 1];
    for (int i = BLOWFISH_ROUNDS; i > 0; i -= 2) {
        R = (R ^ WorkP[i]) ^ BlowfishF(L);
        L = (L ^ WorkP[i - 1]) ^ BlowfishF(R);
    }
    R ^= WorkP[0];
    return BlowfishBlock{R, L};
}

#endif
