// The constant tables against pi computed here, independently of them:
// pi = 16 atan(1/5) - 4 atan(1/239) (Machin), in fixed point with 32-bit limbs.
#include <gtest/gtest.h>

#include <vector>

#include "blowfish.h"

namespace {

// Limb 0 is the integer part; limbs 1.. are fractional base-2^32 digits.
using Fixed = std::vector<uint32_t>;

constexpr size_t kGuardLimbs = 4;
constexpr size_t kLimbs = 1 + BLOWFISH_TABLE_WORDS + kGuardLimbs;

void DivideSmall(Fixed& x, uint32_t d)
{
    uint64_t rem = 0;
    for (uint32_t& limb : x) {
        uint64_t cur = rem << 32 | limb;
        limb = static_cast<uint32_t>(cur / d);
        rem = cur % d;
    }
}

void MultiplySmall(Fixed& x, uint32_t m)
{
    uint64_t carry = 0;
    for (size_t i = x.size(); i-- > 0;) {
        uint64_t cur = uint64_t{x[i]} * m + carry;
        x[i] = static_cast<uint32_t>(cur);
        carry = cur >> 32;
    }
}

void Add(Fixed& x, const Fixed& y)
{
    uint64_t carry = 0;
    for (size_t i = x.size(); i-- > 0;) {
        uint64_t cur = uint64_t{x[i]} + y[i] + carry;
        x[i] = static_cast<uint32_t>(cur);
        carry = cur >> 32;
    }
}

void Subtract(Fixed& x, const Fixed& y)
{
    uint64_t borrow = 0;
    for (size_t i = x.size(); i-- > 0;) {
        uint64_t cur = uint64_t{x[i]} - y[i] - borrow;
        x[i] = static_cast<uint32_t>(cur);
        borrow = (cur >> 32) & 1;
    }
}

bool IsZero(const Fixed& x)
{
    for (uint32_t limb : x)
        if (limb != 0)
            return false;
    return true;
}

Fixed ArctanInverse(uint32_t n)
{
    Fixed sum(kLimbs, 0);
    Fixed power(kLimbs, 0);
    power[0] = 1;
    DivideSmall(power, n); // 1/n
    for (uint32_t k = 0; !IsZero(power); ++k) {
        Fixed term = power;
        DivideSmall(term, 2 * k + 1);
        if (k % 2 == 0)
            Add(sum, term);
        else
            Subtract(sum, term);
        DivideSmall(power, n * n);
    }
    return sum;
}

Fixed ComputePi()
{
    Fixed a = ArctanInverse(5);
    MultiplySmall(a, 16);
    Fixed b = ArctanInverse(239);
    MultiplySmall(b, 4);
    Subtract(a, b);
    return a;
}

TEST(ConstantTables, AreTheHexDigitsOfPi)
{
    const Fixed pi = ComputePi();
    ASSERT_EQ(pi[0], 3u);

    // Word k of InitialP then S-box 0..3 is fractional limb k + 1.
    for (int k = 0; k < BLOWFISH_P_WORDS; ++k)
        EXPECT_EQ(InitialP[k], pi[static_cast<size_t>(1 + k)]) << "InitialP[" << k << "]";
    for (int box = 0; box < 4; ++box)
        for (int i = 0; i < BLOWFISH_S_WORDS; ++i)
            EXPECT_EQ(InitialS[box][i],
                      pi[static_cast<size_t>(1 + BLOWFISH_P_WORDS + BLOWFISH_S_WORDS * box + i)])
                << "InitialS[" << box << "][" << i << "]";
}

TEST(ConstantTables, PublishedEndpoints)
{
    EXPECT_EQ(InitialP[0], 0x243F6A88u);
    EXPECT_EQ(InitialP[1], 0x85A308D3u);
    EXPECT_EQ(InitialP[16], 0x9216D5D9u);
    EXPECT_EQ(InitialP[17], 0x8979FB1Bu);
    EXPECT_EQ(InitialS[0][0], 0xD1310BA6u);
    EXPECT_EQ(InitialS[1][0], 0x4B7A70E9u);
    EXPECT_EQ(InitialS[2][0], 0xE93D5A68u);
    EXPECT_EQ(InitialS[3][0], 0x3A39CE37u);
    EXPECT_EQ(InitialS[3][255], 0x3AC372E6u);
}

} // namespace
