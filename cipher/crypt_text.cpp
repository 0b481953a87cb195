#include "crypt_text.h"

#include "blowfish.h"
#include "message.h"

static uint32_t LoadBigEndian(const unsigned char* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

static void StoreBigEndian(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)(v >> 24);
    p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8);
    p[3] = (unsigned char)v;
}

void CryptText(unsigned char* output, const unsigned char* input,
               const unsigned char* key, CryptMode mode)
{
    // Subkeys are rebuilt on every call, even for an empty text.
    BlowfishSetup(key);

    int n = 0;
    while (input[n] != 0)
        ++n;
    if (n == 0) {
        ShowMessage("Please Input Some String!");
        return;
    }

    // The zero bytes after the text in its area are the padding.
    CryptBlocks(output, input, (n + 7) / 8, mode);
}

void CryptBlocks(unsigned char* output, const unsigned char* input, int blocks,
                 CryptMode mode)
{
    for (int k = 0; k < blocks; ++k) {
        const unsigned char* in = input + 8 * k;
        unsigned char* out = output + 8 * k;
        uint32_t L = LoadBigEndian(in);
        uint32_t R = LoadBigEndian(in + 4);
        BlowfishBlock b = mode == CRYPT_ENCRYPT ? BlowfishEncryptBlock(L, R)
                                                : BlowfishDecryptBlock(L, R);
        StoreBigEndian(out, b.L);
        StoreBigEndian(out + 4, b.R);
    }
}
