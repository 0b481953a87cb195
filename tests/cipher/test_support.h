// Helpers shared by the cipher tests.
#ifndef CORVANE_TESTS_CIPHER_TEST_SUPPORT_H
#define CORVANE_TESTS_CIPHER_TEST_SUPPORT_H

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

#include "blowfish.h"

using Bytes = std::vector<unsigned char>;

Bytes FromHex(const std::string& hex);
std::string ToHex(const unsigned char* p, size_t n);
uint32_t LoadBe(const unsigned char* p);
void StoreBe(unsigned char* p, uint32_t v);

// Schedules a key given as bytes (no zero byte inside).
void SetupKey(const Bytes& key);

// The whole of WorkP and WorkS, in key-schedule order.
using Tables = std::array<uint32_t, BLOWFISH_TABLE_WORDS>;
Tables SnapshotTables();

struct Vector {
    std::string kind;
    Bytes key;
    Bytes plain;
    Bytes cipher;
    int line;
};
std::vector<Vector> LoadVectors();

#endif
