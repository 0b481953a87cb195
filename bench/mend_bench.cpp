// The mend's worst case: a paste of 247 bytes, a third of them spaces and
// line breaks, held in every single-byte code page that Decrypt reads a
// paste in, under a key that reads none of its forms as a text, so that
// each reading runs to the cap on the forms tried (seeds 1 to 5). And a
// note's own cipher text of 31 blocks with 9 or more line breaks and
// spaces, each break as a Windows copy writes it, under its right key:
// there most forms read as a text, so the blocks each change made anew are
// judged too (seeds 6 to 10).
#include <benchmark/benchmark.h>

#include <stdio.h>

#include <algorithm>
#include <random>
#include <vector>

#include "blowfish.h"
#include "crypt_text.h"
#include "mend.h"

namespace {

const unsigned kShownIn[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874};
const unsigned kWesternNotes[] = {1252, 932, 936, 949, 950, 65001};

void Mend_WorstCase(benchmark::State& state)
{
    const unsigned seed = static_cast<unsigned>(state.range(0));
    std::mt19937 rng(seed);
    unsigned char paste[256] = {};
    int size = 0;
    while (seed <= 5 && size < 247) {
        const unsigned kind = rng() % 3;
        if (kind == 0)
            paste[size++] = ' ';
        else if (kind == 1 && size < 246)
            paste[size++] = '\r', paste[size++] = '\n';
        else
            paste[size++] = static_cast<unsigned char>(0x21 + rng() % 94);
    }
    unsigned char key[57] = {};
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<unsigned char>(0x21 + rng() % 94);
    BlowfishSetup(key);
    while (seed > 5 && size == 0) {
        unsigned char note[248], cipher[248];
        std::generate(note, note + 248,
                      [&rng] { return static_cast<unsigned char>(rng() % 8 == 0 ? ' ' : 'a' + rng() % 26); });
        CryptBlocks(cipher, note, 31, CRYPT_ENCRYPT);
        const auto breaks =
            std::count_if(cipher, cipher + 248, [](unsigned char c) { return c == ' ' || c == '\r' || c == '\n'; });
        const bool cut = std::find(cipher, cipher + 248, 0) != cipher + 248;
        for (int i = 0; i < 248 && breaks >= 9 && !cut && size < 255; ++i) {
            if (cipher[i] == '\r' || cipher[i] == '\n')
                paste[size++] = '\r', cipher[i] = '\n';
            paste[size++] = cipher[i];
        }
        size = size < 255 ? size : 0;
    }
    unsigned forms = 0;
    bool capped = false;
    for (auto _ : state) {
        NoteChoice choice;
        StartNoteChoice(&choice);
        for (const unsigned page : kShownIn) {
            if (page == 1252)
                ReadForms(&choice, paste, size, kWesternNotes, 6, 1252);
            else
                ReadForms(&choice, paste, size, &page, 1, 1252);
        }
        benchmark::DoNotOptimize(JudgeChoice(&choice));
        forms = choice.forms;
        capped = choice.capped;
    }
    state.counters["forms"] = forms;
    state.counters["capped"] = capped;
}

} // namespace

// The worst of ten pastes is the figure; max over repetitions, too.
BENCHMARK(Mend_WorstCase)
    ->DenseRange(1, 10)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
BENCHMARK_MAIN();
