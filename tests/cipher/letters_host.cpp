// Host builds have no Windows code pages; glibc's converters and its C.UTF-8
// character classes stand in for them, for the code pages the tests use.
#include "letters.h"

#include <iconv.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>
#include <wctype.h>

namespace {

// iconv's name for a Windows code page.
void CodePageName(unsigned codePage, char* name, size_t size)
{
    switch (codePage) {
    case 936:
        snprintf(name, size, "GBK");
        break;
    case 950:
        snprintf(name, size, "BIG5");
        break;
    case 65001:
        snprintf(name, size, "UTF-8");
        break;
    default:
        snprintf(name, size, "CP%u", codePage);
    }
}

// Converts size bytes with cd into out; returns the bytes written, or -1.
int Convert(iconv_t cd, const void* in, size_t size, void* out, size_t room)
{
    char* from = const_cast<char*>(static_cast<const char*>(in));
    char* to = static_cast<char*>(out);
    size_t left = size;
    size_t space = room;
    if (iconv(cd, &from, &left, &to, &space) == static_cast<size_t>(-1))
        return -1;
    return static_cast<int>(room - space);
}

LetterKind KindOf(wint_t c)
{
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    static const wctype_t combining = wctype_l("combining", utf8);
    if (iswspace_l(c, utf8) || c == 0xA0)
        return LETTER_BLANK;
    if (c >= 0xD800 && c <= 0xDFFF)
        return LETTER_OTHER;
    if (iswctype_l(c, combining, utf8))
        return LETTER_MARK;
    if (iswupper_l(c, utf8))
        return LETTER_UPPER;
    if (iswlower_l(c, utf8))
        return LETTER_LOWER;
    if (iswalpha_l(c, utf8))
        return LETTER_CASELESS;
    if (iswdigit_l(c, utf8))
        return LETTER_DIGIT;
    // Format characters, the joiners among them, as on Windows.
    return c == 0x200C || c == 0x200D || c == 0xAD || iswcntrl_l(c, utf8) ? LETTER_MARK : LETTER_OTHER;
}

// The converters to and from a code page, opened once: opening them takes
// longer than a note's conversion.
struct Converters {
    unsigned codePage;
    iconv_t in, out;
};

bool ConvertersFor(unsigned codePage, iconv_t* in, iconv_t* out)
{
    static Converters opened[16];
    static int count = 0;
    for (int i = 0; i < count; ++i)
        if (opened[i].codePage == codePage) {
            *in = opened[i].in;
            *out = opened[i].out;
            // Back to the initial state.
            iconv(*in, nullptr, nullptr, nullptr, nullptr);
            iconv(*out, nullptr, nullptr, nullptr, nullptr);
            return true;
        }
    char name[16];
    CodePageName(codePage, name, sizeof name);
    *in = iconv_open("UTF-16LE", name);
    *out = iconv_open(name, "UTF-16LE");
    if (*in == reinterpret_cast<iconv_t>(-1) || *out == reinterpret_cast<iconv_t>(-1) || count == 16) {
        fprintf(stderr, "no converter for code page %u\n", codePage);
        return false;
    }
    opened[count++] = {codePage, *in, *out};
    return true;
}

} // namespace

int ReadLetters(unsigned codePage, const unsigned char* bytes, int size, uint16_t* letters, LetterKind* kinds)
{
    iconv_t in, out;
    if (!ConvertersFor(codePage, &in, &out))
        return -1;
    unsigned char wide[2 * LETTERS_MOST];
    unsigned char back[LETTERS_MOST * 4];
    int n = Convert(in, bytes, static_cast<size_t>(size), wide, sizeof wide);
    if (n >= 0 && Convert(out, wide, static_cast<size_t>(n), back, sizeof back) != size)
        n = -1;
    if (n < 0 || memcmp(back, bytes, static_cast<size_t>(size)) != 0)
        return -1;
    n /= 2;
    for (int i = 0; i < n; ++i) {
        const uint16_t c = static_cast<uint16_t>(wide[2 * i] | wide[2 * i + 1] << 8);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || (c >= 0x7F && c <= 0x9F))
            return -1;
        letters[i] = c;
        kinds[i] = KindOf(c);
    }
    return n > 0 ? n : -1;
}
