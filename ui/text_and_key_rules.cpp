#include "text_and_key_rules.h"

#include "app_state.h"

// Control characters are typed by no keyboard but as tab and the line
// break of a field of several lines, and most are not seen: Ctrl+Backspace
// types U+007F in a Windows edit field, and a paste from another program
// may bring others (ESC of a terminal's colours, U+000B of a word
// processor's manual line break).
static bool HoldsControlCharacter(const WCHAR* chars, int count, bool tabsAndLineBreaksToo)
{
    for (int i = 0; i < count; ++i) {
        const WCHAR c = chars[i];
        if (c < 0x20 ? tabsAndLineBreaksToo || (c != L'\t' && c != L'\r' && c != L'\n') : c >= 0x7F && c <= 0x9F)
            return true;
    }
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
    // they come back from them unchanged. Bytes that are no characters, or
    // not the code page's own bytes for them, do not: Windows, like Wine,
    // turns an invalid sequence into U+FFFD or a default character (before
    // Vista, drops it), and a re-encoding that needs more than n bytes
    // fails. Nor do none: Encrypt takes no empty text. (Refusing what
    // MB_ERR_INVALID_CHARS refuses would also refuse characters that some
    // code pages hold at single bytes, such as 0xFD to 0xFF of 932 in Wine.)
    const char* text = reinterpret_cast<const char*>(bytes);
    WCHAR chars[OUTPUT_WRITTEN_SIZE];
    char back[OUTPUT_WRITTEN_SIZE];
    const int m = MultiByteToWideChar(CP_ACP, 0, text, n, chars, OUTPUT_WRITTEN_SIZE);
    if (m <= 0 || WideCharToMultiByte(CP_ACP, 0, chars, m, back, n, NULL, NULL) != n)
        return false;
    for (int i = 0; i < n; ++i)
        if (back[i] != text[i])
            return false;
    return !HoldsControlCharacter(chars, m, false);
}

// Characters that only look like a space (no-break and typographic
// spaces), or are not seen at all (soft hyphen, zero-width and direction
// marks, the byte order mark): a page or a document brings them with a
// paste, and nobody types them again where they looked like nothing.
static bool LooksLikeSomethingElse(WCHAR c)
{
    return c == 0x00A0 || c == 0x00AD || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0xFEFF;
}

static bool IsSpace(WCHAR c)
{
    return c == L' ' || c == 0x3000;
}

KeyLook HowKeyLooks(const unsigned char* key)
{
    WCHAR chars[KEY_BUFFER_SIZE];
    const int m = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(key), -1, chars, KEY_BUFFER_SIZE) - 1;
    if (HoldsControlCharacter(chars, m, true))
        return KEY_INVISIBLE;
    // A space inside a key is seen; one at an end is not.
    if (m > 0 && (IsSpace(chars[0]) || IsSpace(chars[m - 1])))
        return KEY_UNSEEN;
    for (int i = 0; i < m; ++i)
        if (LooksLikeSomethingElse(chars[i]))
            return KEY_UNSEEN;
    return KEY_AS_IT_LOOKS;
}
