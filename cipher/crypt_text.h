// The transform of a whole text in 8-byte blocks: ECB, big-endian halves,
// zero padding, no header.
#ifndef CORVANE_CIPHER_CRYPT_TEXT_H
#define CORVANE_CIPHER_CRYPT_TEXT_H

typedef int CryptMode;
enum : CryptMode {
    CRYPT_DECRYPT = 0,
    CRYPT_ENCRYPT = 1,
};

// input: a text of 0 to 255 bytes, then zero bytes to the end of its
// 256-byte area. output: all zero on entry, or the input area itself (each
// block is read before it is written); receives 8 x block count bytes.
// key: zero-terminated, 0 to 55 bytes. An empty text shows the empty-input
// message and writes nothing.
void CryptText(unsigned char* output, const unsigned char* input,
               const unsigned char* key, CryptMode mode);

// The block loop of CryptText, under the subkeys set up now: transforms
// blocks x 8 bytes of input into output, each block on its own.
void CryptBlocks(unsigned char* output, const unsigned char* input, int blocks,
                 CryptMode mode);

#endif
