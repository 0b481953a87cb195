// Properties of the key schedule and the block operations.
#include <gtest/gtest.h>

#include <openssl/blowfish.h>

#include <random>

#include "test_support.h"

namespace {

Tables OpenSslTables(const Bytes& key)
{
    BF_KEY k;
    BF_set_key(&k, static_cast<int>(key.size()), key.data());
    Tables t{};
    for (int i = 0; i < BLOWFISH_P_WORDS; ++i)
        t[static_cast<size_t>(i)] = k.P[i];
    for (int i = 0; i < 4 * BLOWFISH_S_WORDS; ++i)
        t[static_cast<size_t>(BLOWFISH_P_WORDS + i)] = k.S[i];
    return t;
}

std::mt19937 SeededEngine(const char* what)
{
    const unsigned seed = std::random_device{}();
    std::cout << "[ seed     ] " << what << ": " << seed << "\n";
    ::testing::Test::RecordProperty("seed", static_cast<int>(seed));
    return std::mt19937(seed);
}

TEST(KeySchedule, EmptyKeyIsTheAllZeroKey)
{
    const unsigned char empty[1] = {0};
    BlowfishSetup(empty);
    const Tables got = SnapshotTables();
    // Any length of zero bytes, since the P words stay InitialP before the passes.
    EXPECT_EQ(got, OpenSslTables(Bytes(1, 0)));
    EXPECT_EQ(got, OpenSslTables(Bytes(8, 0)));
    EXPECT_EQ(got, OpenSslTables(Bytes(56, 0)));
}

TEST(KeySchedule, StartsAgainFromTheConstants)
{
    const Bytes a = FromHex("4b65792d41ff80");
    const Bytes b = FromHex("0102030405060708090a0b0c0d0e0f1011121314");
    SetupKey(a);
    const Tables first = SnapshotTables();
    SetupKey(a);
    EXPECT_EQ(SnapshotTables(), first);
    SetupKey(b);
    EXPECT_NE(SnapshotTables(), first);
    SetupKey(a);
    EXPECT_EQ(SnapshotTables(), first);
}

TEST(KeySchedule, LongestKeyUsesItsFirst17BytesTwice)
{
    Bytes key;
    for (int i = 0; i < BLOWFISH_MAX_KEY; ++i)
        key.push_back(static_cast<unsigned char>(0x81 + 3 * i));
    SetupKey(key);
    Bytes spelled(key);
    spelled.insert(spelled.end(), key.begin(), key.begin() + 17);
    ASSERT_EQ(spelled.size(), 72u);
    EXPECT_EQ(SnapshotTables(), OpenSslTables(spelled));
}

TEST(KeySchedule, HighKeyBytesDoNotSignExtend)
{
    // A sign-extended byte would OR ones into the higher bytes of its P word.
    const Bytes key = FromHex("01ff02fe03fd04fc80");
    SetupKey(key);
    EXPECT_EQ(SnapshotTables(), OpenSslTables(key));
}

TEST(KeySchedule, TablesMatchOpenSslForRandomKeys)
{
    std::mt19937 rng = SeededEngine("KeySchedule.TablesMatchOpenSslForRandomKeys");
    std::uniform_int_distribution<int> len(1, BLOWFISH_MAX_KEY);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int round = 0; round < 200; ++round) {
        Bytes key(static_cast<size_t>(len(rng)));
        for (unsigned char& c : key)
            c = static_cast<unsigned char>(byte(rng));
        SetupKey(key);
        ASSERT_EQ(SnapshotTables(), OpenSslTables(key)) << "key " << ToHex(key.data(), key.size());
    }
}

TEST(Blocks, DecryptInvertsEncrypt)
{
    std::mt19937 rng = SeededEngine("Blocks.DecryptInvertsEncrypt");
    std::uniform_int_distribution<int> len(0, BLOWFISH_MAX_KEY);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int round = 0; round < 50; ++round) {
        Bytes key(static_cast<size_t>(len(rng)));
        for (unsigned char& c : key)
            c = static_cast<unsigned char>(byte(rng));
        SetupKey(key);
        for (int i = 0; i < 100; ++i) {
            const uint32_t L = static_cast<uint32_t>(rng());
            const uint32_t R = static_cast<uint32_t>(rng());
            BlowfishBlock e = BlowfishEncryptBlock(L, R);
            BlowfishBlock d = BlowfishDecryptBlock(e.L, e.R);
            ASSERT_EQ(d.L, L);
            ASSERT_EQ(d.R, R);
            EXPECT_FALSE(e.L == L && e.R == R);
        }
    }
}

} // namespace
