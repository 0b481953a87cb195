#include "text_and_key_rules.h"

#include "app_state.h"
#include "letters.h"

// Control characters are typed by no keyboard but as tab and the line
// break of a field of several lines, and most are not seen: Ctrl+Backspace
// types U+007F in a Windows edit field, and a paste from another program
// may bring others (ESC of a terminal's colours, U+000B of a word
// processor's manual line break). A key holds none, tab and line breaks
// included.
static bool HoldsControlCharacter(const WCHAR* chars, int count)
{
    for (int i = 0; i < count; ++i)
        if (chars[i] < 0x20 || (chars[i] >= 0x7F && chars[i] <= 0x9F))
            return true;
    return false;
}

bool CanBeText(const unsigned char* bytes, int size)
{
    int n = 0;
    while (n < size && bytes[n] != 0)
        ++n;
    for (int i = n; i < size; ++i)
        if (bytes[i] != 0)
            return false;
    // A text's bytes are what the code page makes of its characters, so
    // they come back from them unchanged, and none of them is a control
    // character but tab, CR and LF. Bytes that are no characters, or not
    // the code page's own bytes for them, do not: Windows, like Wine, turns
    // an invalid sequence into U+FFFD or a default character (before Vista,
    // drops it), and a re-encoding that needs more than n bytes fails. Nor
    // do none: Encrypt takes no empty text. (Refusing what
    // MB_ERR_INVALID_CHARS refuses would also refuse characters that some
    // code pages hold at single bytes, such as 0xFD to 0xFF of 932 in Wine.)
    uint16_t letters[LETTERS_MOST];
    LetterKind kinds[LETTERS_MOST];
    return ReadLetters(CP_ACP, bytes, n, letters, kinds) > 0;
}

// Characters that only look like a space or are not seen at all, from
// Unicode's White_Space and Default_Ignorable_Code_Point, first to last: a
// page or a document brings them with a paste, and nobody types them again
// where they looked like nothing. Left out, as their writers type them:
// the space and the ideographic space (seen inside a key; HowKeyLooks
// judges the ends); Ogham's space mark, drawn as a stroke; the zero-width
// non-joiner and joiner, which Persian and Indic spelling and emoji hold
// (Shift+Space types U+200C on Windows' Persian (Standard) keyboard), and
// the variation selectors, Mongolian's among them, which follow the emoji,
// ideograph or letter they select a form of: HowKeyLooks judges where
// those stand. Controls are judged before.
struct CodeRange {
    char32_t first, last;
};
static const CodeRange kUnseen[] = {
    {0x00A0, 0x00A0},   // no-break space
    {0x00AD, 0x00AD},   // soft hyphen
    {0x034F, 0x034F},   // combining grapheme joiner, typed by no keyboard
    {0x061C, 0x061C},   // Arabic letter mark, a direction mark
    {0x115F, 0x1160},   // Hangul fillers: typed by no one, seen as a space
    {0x17B4, 0x17B5},   // Khmer's inherent vowels, never written
    {0x180E, 0x180E},   // Mongolian vowel separator
    {0x2000, 0x200B},   // typographic spaces, zero-width space
    {0x200E, 0x200F},   // direction marks
    {0x2028, 0x202F},   // line and paragraph separators, embeddings,
                        // narrow no-break space
    {0x205F, 0x206F},   // mathematical space, word joiner, invisible
                        // operators, isolates, deprecated format controls
    {0x3164, 0x3164},   // Hangul filler
    {0xFEFF, 0xFEFF},   // byte order mark
    {0xFFA0, 0xFFA0},   // halfwidth Hangul filler
    {0xFFF0, 0xFFF8},   // not yet assigned, ignored when they are
    {0x1BCA0, 0x1BCA3}, // shorthand format controls
    {0x1D173, 0x1D17A}, // musical beam and phrase controls
    {0xE0000, 0xE00FF}, // tags
    {0xE01F0, 0xE0FFF}, // not yet assigned, ignored when they are
};

// The variation selectors, Mongolian's, and the supplement's (in UTF-16, a
// surrogate pair that starts with U+DB40 and selects from U+E0100).
static const CodeRange kSelectors[] = {{0x180B, 0x180D}, {0x180F, 0x180F}, {0xFE00, 0xFE0F}, {0xE0100, 0xE01EF}};

static bool In(const CodeRange* ranges, size_t count, char32_t c)
{
    for (size_t i = 0; i < count; ++i)
        if (c >= ranges[i].first && c <= ranges[i].last)
            return true;
    return false;
}

static bool IsSpace(WCHAR c)
{
    return c == L' ' || c == 0x3000;
}

static bool IsJoiner(WCHAR c)
{
    return c == 0x200C || c == 0x200D;
}

KeyLook HowKeyLooks(const unsigned char* key)
{
    WCHAR chars[KEY_BUFFER_SIZE];
    const int m = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(key), -1, chars, KEY_BUFFER_SIZE) - 1;
    if (HoldsControlCharacter(chars, m))
        return KEY_INVISIBLE;
    // A space inside a key is seen; one at an end is not.
    if (m > 0 && (IsSpace(chars[0]) || IsSpace(chars[m - 1])))
        return KEY_UNSEEN;
    for (int i = 0; i < m; ++i) {
        const WCHAR before = i > 0 ? chars[i - 1] : L' ';
        char32_t c = chars[i];
        // Outside the 16-bit range: a surrogate pair, a high surrogate and
        // then a low one.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < m && chars[i + 1] >= 0xDC00 && chars[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (chars[++i] - 0xDC00u);
        // A joiner is seen as nothing where it joins nothing: at an end, or
        // beside another; a selector where it selects nothing: at the start
        // or after a space.
        const bool joinsNothing = IsJoiner(chars[i]) && (i == 0 || i == m - 1 || IsJoiner(before) ||
                                                         IsJoiner(chars[i + 1]));
        if (In(kUnseen, sizeof kUnseen / sizeof *kUnseen, c) || joinsNothing ||
            (In(kSelectors, sizeof kSelectors / sizeof *kSelectors, c) && IsSpace(before)))
            return KEY_UNSEEN;
    }
    return KEY_AS_IT_LOOKS;
}
