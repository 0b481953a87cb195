// How often Decrypt tells a wrong key, under the ANSI code page it runs in:
// random texts of the code page's characters, tabs and line breaks among
// them, encrypted with a typed key, then decrypted with that key mistyped in
// one character, and judged by CanBeText as Corvex.exe compiles it. Only
// cipher texts shown whole (no zero byte) count, since only those are
// decrypted whole. The same texts under the right key count false alarms.
// Then the cipher texts that the measured ways of mail and chat change, so
// changed, read as Decrypt reads a paste: how often the mistyped key is
// warned of there, and how often the right key gives the text back.
//   detection.exe [TEXTS [SEED]]     TEXTS a length class, 100000 unless given
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "app_state.h"
#include "blowfish.h"
#include "carried.h"
#include "crypt_text.h"
#include "read_note.h"
#include "text_and_key_rules.h"

namespace {

// Every character that the code page holds exactly, as its bytes; no control
// character and no ASCII, which texts draw apart.
std::vector<std::string> CodePageCharacters()
{
    std::vector<std::string> held;
    for (unsigned c = 0xA0; c <= 0xFFFD; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const WCHAR wide = static_cast<WCHAR>(c);
        char bytes[8];
        BOOL defaulted = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes, NULL,
                                          GetACP() == CP_UTF8 ? NULL : &defaulted);
        WCHAR back = 0;
        if (n > 0 && !defaulted && MultiByteToWideChar(CP_ACP, 0, bytes, n, &back, 1) == 1 && back == wide)
            held.emplace_back(bytes, n);
    }
    return held;
}

// CryptText of the zero-padded bytes of input under key, into an area as
// Decrypt's output.
void Transform(const std::string& key, const unsigned char* input, unsigned char* out, CryptMode mode)
{
    unsigned char k[KEY_BUFFER_SIZE] = {};
    memcpy(k, key.data(), key.size());
    memset(out, 0, OUTPUT_BUFFER_SIZE);
    CryptText(out, input, k, mode);
}

// Whether Decrypt shows a note for the paste under key with no warning, and
// whether that note is text.
bool ShownSilently(const std::string& key, const std::wstring& paste, UINT shownIn, const std::string& text,
                   bool* right, bool* mended = nullptr)
{
    unsigned char k[KEY_BUFFER_SIZE] = {};
    memcpy(k, key.data(), key.size());
    BlowfishSetup(k);
    unsigned char note[INPUT_BUFFER_SIZE] = {};
    UINT codePage = CP_ACP;
    const NoteVerdict verdict = ReadPastedNote(paste.c_str(), static_cast<int>(paste.size()), note, &codePage);
    if (mended)
        *mended = verdict == NOTE_MENDED;
    if (verdict == NOTE_AS_PASTED) {
        unsigned char bytes[INPUT_BUFFER_SIZE] = {};
        const int n = WideCharToMultiByte(shownIn, 0, paste.c_str(), static_cast<int>(paste.size()),
                                          reinterpret_cast<char*>(bytes), INPUT_BUFFER_SIZE - 1, NULL, NULL);
        unsigned char out[OUTPUT_BUFFER_SIZE] = {};
        CryptBlocks(out, bytes, (n + 7) / 8, CRYPT_DECRYPT);
        memcpy(note, out, INPUT_BUFFER_SIZE);
        if (n % 8 != 0 || !CanBeText(out, OUTPUT_WRITTEN_SIZE))
            return *right = false;
    }
    // Right where the characters shown are those typed: a mended note is
    // shown in the letters of its own code page.
    auto shown = [](UINT page, const char* bytes) {
        WCHAR chars[OUTPUT_BUFFER_SIZE];
        return std::wstring(chars, MultiByteToWideChar(page, 0, bytes, -1, chars, OUTPUT_BUFFER_SIZE));
    };
    *right = verdict <= NOTE_MENDED && shown(codePage, reinterpret_cast<char*>(note)) == shown(CP_ACP, text.c_str());
    return verdict <= NOTE_MENDED;
}

} // namespace

int main(int argc, char** argv)
{
    const int texts = argc > 1 ? atoi(argv[1]) : 100000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], NULL, 10)) : std::random_device{}();
    std::mt19937 rng(seed);
    auto in = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::vector<std::string> held = CodePageCharacters();
    printf("code page %u (%zu characters beyond ASCII), seed %u, %d cipher texts a length\n", GetACP(),
           held.size(), seed, texts);

    const struct {
        const char* name;
        int shortest, longest; // bytes of text
    } lengths[] = {{"1 block", 1, 8}, {"2 blocks", 9, 16}, {"3 to 8 blocks", 17, 64}};
    // Cipher texts are shown in the Western code page where the system's has
    // several bytes a character.
    CPINFO info = {};
    GetCPInfo(CP_ACP, &info);
    const UINT shownIn = info.MaxCharSize > 1 ? 1252 : GetACP();
    for (const auto& length : lengths) {
        int warned = 0, alarms = 0, changed = 0, changedWarned = 0, mended = 0, wrong = 0, wrongMended = 0;
        for (int done = 0; done < texts;) {
            std::string key;
            for (int i = in(4, 20); i > 0; --i)
                key += static_cast<char>(in(0x21, 0x7E));
            const int size = in(length.shortest, length.longest);
            // A tab in 20, a line break in 20, half ASCII, the rest the code
            // page's other characters; a blank where only one byte is left.
            unsigned char input[INPUT_BUFFER_SIZE] = {};
            std::string text;
            while (static_cast<int>(text.size()) < size) {
                const int kind = in(0, 19);
                std::string next;
                if (kind == 0)
                    next = "\t";
                else if (kind == 1)
                    next = "\r\n";
                else if (kind < 12)
                    next = std::string(1, static_cast<char>(in(0x20, 0x7E)));
                else
                    next = held[in(0, static_cast<int>(held.size()) - 1)];
                if (static_cast<int>(text.size() + next.size()) <= size)
                    text += next;
                else if (size - text.size() == 1)
                    text += ' ';
            }
            memcpy(input, text.data(), text.size());
            unsigned char cipher[OUTPUT_BUFFER_SIZE];
            Transform(key, input, cipher, CRYPT_ENCRYPT);
            if (memchr(cipher, 0, (size + 7) / 8 * 8))
                continue; // shown cut, and warned of by Encrypt
            ++done;
            unsigned char out[OUTPUT_BUFFER_SIZE];
            Transform(key, cipher, out, CRYPT_DECRYPT);
            alarms += !CanBeText(out, OUTPUT_WRITTEN_SIZE);
            std::string typo = key;
            const int at = in(0, static_cast<int>(key.size()) - 1);
            while (typo[at] == key[at])
                typo[at] = static_cast<char>(in(0x21, 0x7E));
            Transform(typo, cipher, out, CRYPT_DECRYPT);
            warned += !CanBeText(out, OUTPUT_WRITTEN_SIZE);
            // A tenth of them, as reading a paste takes longer.
            if (done % 10 != 0)
                continue;
            WCHAR shown[OUTPUT_BUFFER_SIZE];
            const int m = MultiByteToWideChar(shownIn, 0, reinterpret_cast<char*>(cipher), -1, shown, OUTPUT_BUFFER_SIZE);
            const std::wstring carried = Carried(std::wstring(shown, m - 1));
            if (carried == std::wstring(shown, m - 1))
                continue;
            bool right;
            ++changed;
            changedWarned += !ShownSilently(typo, carried, shownIn, text, &right);
            bool byMend;
            const bool silent = ShownSilently(key, carried, shownIn, text, &right, &byMend);
            mended += right;
            wrong += silent && !right;
            wrongMended += silent && !right && byMend;
        }
        printf("  %-14s mistyped key warned of: %6.2f %% (%d of %d); right key warned of: %d\n", length.name,
               100.0 * warned / texts, warned, texts, alarms);
        printf("  %-14s changed on the way: %d; mistyped key warned of: %6.2f %%; right key read right: %6.2f %%, "
               "wrong with no warning: %d (%d of them mended, the rest as pasted, as before)\n",
               "", changed, 100.0 * changedWarned / changed, 100.0 * mended / changed, wrong, wrongMended);
    }
    return 0;
}
