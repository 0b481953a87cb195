#include "letters.h"

#include <windows.h>

int ReadLetters(unsigned codePage, const unsigned char* bytes, int size, uint16_t* letters, LetterKind* kinds)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    WCHAR* chars = reinterpret_cast<WCHAR*>(letters);
    // Windows turns an invalid sequence into U+FFFD or a default character
    // (before Vista, drops it): such bytes do not come back from their
    // characters.
    char back[LETTERS_MOST];
    const int n = MultiByteToWideChar(codePage, 0, text, size, chars, LETTERS_MOST);
    if (n <= 0 || WideCharToMultiByte(codePage, 0, chars, n, back, size, NULL, NULL) != size)
        return -1;
    for (int i = 0; i < size; ++i)
        if (back[i] != text[i])
            return -1;
    WORD type1[LETTERS_MOST];
    WORD type3[LETTERS_MOST];
    GetStringTypeW(CT_CTYPE1, chars, n, type1);
    GetStringTypeW(CT_CTYPE3, chars, n, type3);
    for (int i = 0; i < n; ++i) {
        const WCHAR c = chars[i];
        if ((c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n') || (c >= 0x7F && c <= 0x9F))
            return -1;
        // Later tests win. Format characters, the joiners among them, count
        // as controls here.
        const WORD t = type1[i];
        LetterKind kind = LETTER_OTHER;
        if (t & C1_DIGIT)
            kind = LETTER_DIGIT;
        if ((t & C1_CNTRL) || (type3[i] & (C3_NONSPACING | C3_VOWELMARK)))
            kind = LETTER_MARK;
        if (t & C1_ALPHA)
            kind = LETTER_CASELESS;
        if (t & C1_LOWER)
            kind = LETTER_LOWER;
        if (t & C1_UPPER)
            kind = LETTER_UPPER;
        if (t & C1_SPACE)
            kind = LETTER_BLANK;
        kinds[i] = kind;
    }
    return n;
}
