// The mend: each change a way makes to a cipher text, undone, on a Western
// and a Greek note, a code of signs alone, a Chinese note with a Latin word
// and a Hindi one in UTF-8; a mistyped key; readings that leave doubt; the
// cap.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "blowfish.h"
#include "crypt_text.h"
#include "mend.h"

namespace {

struct Note {
    const char* name;
    unsigned codePage;
    const char* text;
};
const Note kNotes[] = {
    {"Western", 1252, "Zo\xEB arrives Tuesday at 6, bring the \x80" "120 in cash."},
    {"Greek", 1253,
     "\xC7 \xC6\xF9\xDE \xF6\xF4\xDC\xED\xE5\xE9 \xF4\xE7\xED \xD4\xF1\xDF\xF4\xE7 \xF3\xF4\xE9\xF2 6, "
     "\xF6\xDD\xF1\xE5 \xF4\xE1 120 \x80 \xEC\xE5\xF4\xF1\xE7\xF4\xDC."},
    {"signs", 1252, "x7#Qp!2z@Lk9$wR^m3&Tb8*Yc"},
    {"Chinese", 936,
     "\xD6\xDC\xB6\xFE\xCD\xED\xC9\xCF" "6\xB5\xE3\xB5\xBD\xA3\xAC\xC7\xEB\xB4\xF8\xC9\xCF" "120"
     "\xD4\xAA\xCF\xD6\xBD\xF0\xA3\xAC\xD3\xC3 WeChat \xC1\xAA\xCF\xB5\xCE\xD2\xA1\xA3"},
    {"Hindi", 65001, "मंगलवार शाम 6 बजे आऊँगा, 120 रुपये नकद लाना।"},
};

bool IsTrimmed(char c)
{
    return strchr(" \xA0\t\r\n", c) != nullptr && c != 0;
}

// What a way does to a cipher text it can change, or "" if it cannot.
struct Change {
    const char* name;
    std::string (*apply)(const std::string& cipher);
};
std::string Replace(const std::string& cipher, const std::string& from, const std::string& to)
{
    const size_t at = cipher.find(from);
    return at == std::string::npos ? "" : cipher.substr(0, at) + to + cipher.substr(at + from.size());
}
const Change kChanges[] = {
    {"none", [](const std::string& c) { return c; }},
    {"CR as LF", [](const std::string& c) { return c.find("\r\n") == std::string::npos ? Replace(c, "\r", "\n") : ""; }},
    {"CR as CR LF", [](const std::string& c) { return c.find("\r\n") == std::string::npos ? Replace(c, "\r", "\r\n") : ""; }},
    {"LF as CR LF", [](const std::string& c) { return c.find("\r\n") == std::string::npos ? Replace(c, "\n", "\r\n") : ""; }},
    {"CR LF as LF", [](const std::string& c) { return Replace(c, "\r\n", "\n"); }},
    {"no-break space as space", [](const std::string& c) { return Replace(c, "\xA0", " "); }},
    {"wrapped after a space", [](const std::string& c) { return c.back() == ' ' ? "" : Replace(c, " ", " \r\n"); }},
    {"lost at the start", [](const std::string& c) { return IsTrimmed(c[0]) ? c.substr(1) : ""; }},
    {"lost at the end", [](const std::string& c) { return IsTrimmed(c.back()) ? c.substr(0, c.size() - 1) : ""; }},
};

// Encrypts text under the first key "k1", "k2", ... whose cipher text, as
// change makes it, has no zero byte; sets the key up and returns what the
// receiver pastes.
std::string Changed(const char* text, const Change& change, unsigned char* key)
{
    for (int n = 1; n < 200000; ++n) {
        snprintf(reinterpret_cast<char*>(key), 16, "k%d", n);
        unsigned char in[256] = {}, out[257] = {};
        memcpy(in, text, strlen(text));
        CryptText(out, in, key, CRYPT_ENCRYPT);
        const std::string cipher(reinterpret_cast<char*>(out), (strlen(text) + 7) / 8 * 8);
        const std::string pasted = cipher.find('\0') == std::string::npos ? change.apply(cipher) : "";
        if (!pasted.empty() && pasted.find('\0') == std::string::npos)
            return pasted;
    }
    return "";
}

NoteVerdict Read(const std::string& pasted, NoteChoice* choice, const unsigned* pages, int count, unsigned home)
{
    StartNoteChoice(choice);
    ReadForms(choice, reinterpret_cast<const unsigned char*>(pasted.data()), static_cast<int>(pasted.size()), pages,
              count, home);
    return JudgeChoice(choice);
}

TEST(Mend, EachChangeIsUndoneAndAMistypedKeyMendsNothing)
{
    for (const Note& note : kNotes)
        for (const Change& change : kChanges) {
            const std::string where = std::string(note.name) + ", " + change.name;
            unsigned char key[16];
            const std::string pasted = Changed(note.text, change, key);
            ASSERT_FALSE(pasted.empty()) << where;
            NoteChoice choice;
            const NoteVerdict verdict = Read(pasted, &choice, &note.codePage, 1, note.codePage);
            EXPECT_EQ(verdict, change.apply == kChanges[0].apply ? NOTE_AS_PASTED : NOTE_MENDED) << where;
            if (verdict == NOTE_MENDED)
                EXPECT_STREQ(reinterpret_cast<char*>(choice.note), note.text) << where;
            // A typo in the key: no reading counts but, at most, the paste as
            // it came.
            key[0] = 'K';
            BlowfishSetup(key);
            EXPECT_NE(Read(pasted, &choice, &note.codePage, 1, note.codePage), NOTE_MENDED) << where << ", mistyped key";
        }
}

// "tr\xE8s" is "très" in 1252 and "trčs" in 1250: both read as text, and
// neither is the receiver's, so the letters cannot be told.
TEST(Mend, ReadingsWithOtherLettersLeaveDoubt)
{
    unsigned char key[16];
    const std::string pasted = Changed("Il est tr\xE8s tard, viens vite!", kChanges[0], key);
    const unsigned pages[] = {1252, 1250};
    NoteChoice choice;
    EXPECT_EQ(Read(pasted, &choice, pages, 2, 0), NOTE_LETTERS);
    EXPECT_EQ(Read(pasted, &choice, pages, 2, 1252), NOTE_AS_PASTED);
    EXPECT_EQ(Read(pasted, &choice, pages, 2, 1250), NOTE_AS_PASTED);
    EXPECT_EQ(choice.codePage, 1250u);
}

// A paste of spaces has more forms than the cap allows: they are not all
// tried, and the reading is left in doubt, within a bounded time.
TEST(Mend, TooManyFormsAreCapped)
{
    unsigned char key[16] = "Corvane key";
    BlowfishSetup(key);
    const unsigned page = 1252;
    NoteChoice choice;
    EXPECT_EQ(Read(std::string(200, ' ') + "\r\n\r\n", &choice, &page, 1, 0), NOTE_DOUBT);
    EXPECT_TRUE(choice.capped);
}

} // namespace
