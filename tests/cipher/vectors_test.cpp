// The published Blowfish vectors, in the byte order of the text transform.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace {

bool HasZeroByte(const Bytes& b)
{
    return std::find(b.begin(), b.end(), 0) != b.end();
}

bool AllZero(const Bytes& b)
{
    return std::all_of(b.begin(), b.end(), [](unsigned char c) { return c == 0; });
}

// Encrypts and decrypts one vector's block under the tables now set up.
void CheckBlock(const Vector& v)
{
    SCOPED_TRACE("vector on line " + std::to_string(v.line));
    ASSERT_EQ(v.plain.size(), 8u);
    ASSERT_EQ(v.cipher.size(), 8u);

    BlowfishBlock e = BlowfishEncryptBlock(LoadBe(&v.plain[0]), LoadBe(&v.plain[4]));
    unsigned char got[8];
    StoreBe(got, e.L);
    StoreBe(got + 4, e.R);
    EXPECT_EQ(ToHex(got, 8), ToHex(v.cipher.data(), 8));

    BlowfishBlock d = BlowfishDecryptBlock(LoadBe(&v.cipher[0]), LoadBe(&v.cipher[4]));
    StoreBe(got, d.L);
    StoreBe(got + 4, d.R);
    EXPECT_EQ(ToHex(got, 8), ToHex(v.plain.data(), 8));
}

TEST(Vectors, KeysWithoutZeroByteBothDirections)
{
    int checked = 0;
    int varkeyLengths = 0;
    for (const Vector& v : LoadVectors()) {
        if (HasZeroByte(v.key))
            continue;
        SetupKey(v.key);
        CheckBlock(v);
        ++checked;
        if (v.kind == "varkey")
            ++varkeyLengths;
    }
    // 30 of the 8-byte-key set, varkey lengths 1 to 16, and the two text keys.
    EXPECT_EQ(varkeyLengths, 16);
    EXPECT_EQ(checked, 48);
}

TEST(Vectors, AllZeroKeysThroughTheEmptyKey)
{
    const unsigned char empty[1] = {0};
    int checked = 0;
    for (const Vector& v : LoadVectors()) {
        if (v.key.empty() || !AllZero(v.key))
            continue;
        BlowfishSetup(empty);
        CheckBlock(v);
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

} // namespace
