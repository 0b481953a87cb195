#include "blowfish.h"

uint32_t WorkP[BLOWFISH_P_WORDS];
uint32_t WorkS[4][BLOWFISH_S_WORDS];

void BlowfishSetup(const unsigned char* key)
{
    int n = 0;
    while (key[n] != 0)
        ++n;

    // With n = 0 every byte read is the terminator, so P stays InitialP.
    int j = 0;
    for (int i = 0; i < BLOWFISH_P_WORDS; ++i) {
        uint32_t w = 0;
        for (int b = 0; b < 4; ++b) {
            w = (w << 8) | key[j];
            if (++j >= n)
                j = 0;
        }
        WorkP[i] = InitialP[i] ^ w;
    }

    for (int box = 0; box < 4; ++box)
        for (int i = 0; i < BLOWFISH_S_WORDS; ++i)
            WorkS[box][i] = InitialS[box][i];

    // Each pass encrypts the previous pair with the tables as they now stand.
    uint32_t L = 0;
    uint32_t R = 0;
    for (int k = 0; k < BLOWFISH_TABLE_WORDS; k += 2) {
        BlowfishBlock out = BlowfishEncryptBlock(L, R);
        L = out.L;
        R = out.R;
        BlowfishWorkWord(k) = L;
        BlowfishWorkWord(k + 1) = R;
    }
}
