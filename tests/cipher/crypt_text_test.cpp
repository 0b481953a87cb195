// The text transform: block layout, padding, bounds and the empty text.
#include <gtest/gtest.h>

#include <string.h>

#include <openssl/blowfish.h>

#include "crypt_text.h"
#include "message_host.h"
#include "test_support.h"

namespace {

constexpr size_t kInputSize = 256;
constexpr size_t kOutputSize = 257;
constexpr unsigned char kFill = 0xA5;

const unsigned char kKey[] = "Corvane test key";

// An input area as the main window fills it, and an output area with a
// marked tail past its end, so a stray write shows.
struct Areas {
    unsigned char input[kInputSize];
    unsigned char output[kOutputSize + 16];

    explicit Areas(const Bytes& text)
    {
        memset(input, 0, sizeof input);
        if (!text.empty())
            memcpy(input, text.data(), text.size());
        memset(output, 0, kOutputSize);
        memset(output + kOutputSize, kFill, sizeof output - kOutputSize);
    }
};

Bytes TextOf(size_t n, unsigned char first = 'a')
{
    Bytes t(n);
    for (size_t i = 0; i < n; ++i)
        t[i] = static_cast<unsigned char>(first + i % 26);
    return t;
}

// OpenSSL's ECB of one 8-byte block under kKey.
Bytes OpenSslBlock(const unsigned char* in8, int direction)
{
    BF_KEY k;
    BF_set_key(&k, static_cast<int>(strlen(reinterpret_cast<const char*>(kKey))), kKey);
    Bytes out(8);
    BF_ecb_encrypt(in8, out.data(), &k, direction);
    return out;
}

void ExpectZeroFrom(const unsigned char* area, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        ASSERT_EQ(area[i], 0) << "byte " << i;
}

void ExpectTailUntouched(const Areas& a)
{
    for (size_t i = kOutputSize; i < sizeof a.output; ++i)
        ASSERT_EQ(a.output[i], kFill) << "byte " << i << " past the output area";
}

struct LengthCase {
    size_t length;
    size_t blocks;
};

class TextLengths : public ::testing::TestWithParam<LengthCase> {};

TEST_P(TextLengths, BlocksPaddingAndBounds)
{
    const LengthCase c = GetParam();
    const Bytes text = TextOf(c.length);
    Areas a(text);
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);

    // Each block is OpenSSL's ECB of the zero-padded text.
    for (size_t k = 0; k < c.blocks; ++k) {
        Bytes expect = OpenSslBlock(a.input + 8 * k, BF_ENCRYPT);
        EXPECT_EQ(ToHex(a.output + 8 * k, 8), ToHex(expect.data(), 8)) << "block " << k;
    }
    ExpectZeroFrom(a.output, 8 * c.blocks, kOutputSize);
    ExpectTailUntouched(a);

    // Deciphering the 8 x block count bytes gives the text and its padding.
    // (This key and these texts give cipher bytes without a zero, so the
    // whole cipher text reads back as a string.)
    ASSERT_EQ(strlen(reinterpret_cast<const char*>(a.output)), 8 * c.blocks);
    Areas back(Bytes{});
    memcpy(back.input, a.output, 8 * c.blocks);
    CryptText(back.output, back.input, kKey, CRYPT_DECRYPT);
    EXPECT_EQ(memcmp(back.output, a.input, 8 * c.blocks), 0);
    EXPECT_EQ(strlen(reinterpret_cast<const char*>(back.output)), c.length);
    // In place, as the main window checks a shown cipher text: the same.
    if (8 * c.blocks < kInputSize) {
        CryptText(back.input, back.input, kKey, CRYPT_DECRYPT);
        EXPECT_EQ(memcmp(back.input, back.output, kInputSize), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(TextTransform, TextLengths,
                         ::testing::Values(LengthCase{1, 1}, LengthCase{7, 1}, LengthCase{8, 1},
                                           LengthCase{9, 2}, LengthCase{16, 2},
                                           LengthCase{248, 31}, LengthCase{249, 32},
                                           LengthCase{255, 32}),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param.length); });

TEST(TextTransform, OneByteIsPaddedWithSevenZeros)
{
    Areas a(Bytes{'Q'});
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    const unsigned char block[8] = {'Q', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ToHex(a.output, 8), ToHex(OpenSslBlock(block, BF_ENCRYPT).data(), 8));
}

TEST(TextTransform, EqualBlocksAtDifferentPositionsGiveEqualCipherBlocks)
{
    Bytes text = TextOf(40);
    for (size_t i = 0; i < 8; ++i)
        text[24 + i] = text[i];
    Areas a(text);
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    EXPECT_EQ(ToHex(a.output, 8), ToHex(a.output + 24, 8));
    EXPECT_NE(ToHex(a.output, 8), ToHex(a.output + 8, 8));
}

TEST(TextTransform, BlockDependsOnlyOnItsOwnInputBlock)
{
    Areas a(TextOf(32));
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    Bytes changed = TextOf(32);
    changed[17] = '#';
    Areas b(changed);
    CryptText(b.output, b.input, kKey, CRYPT_ENCRYPT);
    EXPECT_EQ(memcmp(a.output, b.output, 16), 0);
    EXPECT_NE(memcmp(a.output + 16, b.output + 16, 8), 0);
    EXPECT_EQ(memcmp(a.output + 24, b.output + 24, 8), 0);
}

TEST(TextTransform, DecryptPadsAShortLastBlockWithZeros)
{
    const Bytes text = TextOf(13, 'K');
    Areas a(text);
    CryptText(a.output, a.input, kKey, CRYPT_DECRYPT);
    unsigned char second[8] = {};
    memcpy(second, text.data() + 8, 5);
    EXPECT_EQ(ToHex(a.output, 8), ToHex(OpenSslBlock(a.input, BF_DECRYPT).data(), 8));
    EXPECT_EQ(ToHex(a.output + 8, 8), ToHex(OpenSslBlock(second, BF_DECRYPT).data(), 8));
    ExpectZeroFrom(a.output, 16, kOutputSize);
}

TEST(TextTransform, EmptyTextShowsTheMessageOnceAndWritesNothing)
{
    Areas a(Bytes{});
    memset(a.output, kFill, sizeof a.output); // any write would show
    const int before = HostMessages().count;
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    EXPECT_EQ(HostMessages().count, before + 1);
    ASSERT_NE(HostMessages().last, nullptr);
    EXPECT_STREQ(HostMessages().last, "Please Input Some String!");
    for (size_t i = 0; i < sizeof a.output; ++i)
        ASSERT_EQ(a.output[i], kFill) << "byte " << i;

    CryptText(a.output, a.input, kKey, CRYPT_DECRYPT);
    EXPECT_EQ(HostMessages().count, before + 2);
}

TEST(TextTransform, NonEmptyTextShowsNoMessage)
{
    Areas a(TextOf(5));
    const int before = HostMessages().count;
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    EXPECT_EQ(HostMessages().count, before);
}

TEST(TextTransform, SubkeysAreRebuiltEvenForAnEmptyText)
{
    const unsigned char other[] = "another key";
    Areas a(TextOf(3));
    CryptText(a.output, a.input, other, CRYPT_ENCRYPT);
    const Tables otherTables = SnapshotTables();

    Areas empty(Bytes{});
    CryptText(empty.output, empty.input, kKey, CRYPT_ENCRYPT);
    const Tables afterEmpty = SnapshotTables();
    BlowfishSetup(kKey);
    EXPECT_EQ(afterEmpty, SnapshotTables());
    EXPECT_NE(afterEmpty, otherTables);
}

TEST(TextTransform, HighTextBytesRoundTrip)
{
    Bytes text;
    for (int i = 0x80; i <= 0xFF; ++i)
        text.push_back(static_cast<unsigned char>(i));
    Areas a(text);
    CryptText(a.output, a.input, kKey, CRYPT_ENCRYPT);
    for (size_t k = 0; k < 16; ++k)
        EXPECT_EQ(ToHex(a.output + 8 * k, 8), ToHex(OpenSslBlock(a.input + 8 * k, BF_ENCRYPT).data(), 8));
    // Deciphering the blocks with OpenSSL gives the text back; CryptText's
    // own round trip is covered where cipher bytes carry no zero.
    for (size_t k = 0; k < 16; ++k)
        EXPECT_EQ(ToHex(OpenSslBlock(a.output + 8 * k, BF_DECRYPT).data(), 8), ToHex(text.data() + 8 * k, 8));
}

} // namespace
