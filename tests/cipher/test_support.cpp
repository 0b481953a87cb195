#include "test_support.h"

#include <stdio.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

Bytes FromHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        throw std::runtime_error("odd hex length: " + hex);
    Bytes out;
    for (size_t i = 0; i < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const unsigned char* p, size_t n)
{
    std::string s;
    char buf[3];
    for (size_t i = 0; i < n; ++i) {
        snprintf(buf, sizeof buf, "%02x", p[i]);
        s += buf;
    }
    return s;
}

uint32_t LoadBe(const unsigned char* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void StoreBe(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

void SetupKey(const Bytes& key)
{
    Bytes z(key);
    z.push_back(0);
    BlowfishSetup(z.data());
}

Tables SnapshotTables()
{
    Tables t{};
    for (int k = 0; k < BLOWFISH_TABLE_WORDS; ++k)
        t[static_cast<size_t>(k)] = BlowfishWorkWord(k);
    return t;
}

std::vector<Vector> LoadVectors()
{
    std::ifstream in(CORVANE_TESTDATA_DIR "/blowfish-vectors.txt");
    if (!in)
        throw std::runtime_error("cannot open blowfish-vectors.txt");
    std::vector<Vector> out;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string kind, key, plain, cipher;
        if (!(fields >> kind >> key >> plain >> cipher))
            throw std::runtime_error("bad vector line " + std::to_string(number));
        out.push_back({kind, FromHex(key), FromHex(plain), FromHex(cipher), number});
    }
    return out;
}
