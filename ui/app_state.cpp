#include "app_state.h"

unsigned char KeyBuffer[KEY_BUFFER_SIZE];
unsigned char InputBuffer[INPUT_BUFFER_SIZE];
unsigned char OutputBuffer[OUTPUT_BUFFER_SIZE];
HINSTANCE AppInstance;

// The code page of the program's texts, and of a Western Windows: a cipher
// text shown in it travels to any other.
enum : UINT { WESTERN_CODE_PAGE = 1252 };

// The fields hold wide characters, and the ANSI functions silently replace
// what the code page cannot hold with look-alikes or '?'. So the bytes are
// turned back into characters and compared with the field's own text.
// On Windows the fields are wide only because the manifest asks for common
// controls 6, whose edit control keeps wide text however its dialog was
// made. The system's own edit control keeps ANSI text in a dialog made by
// DialogBoxParamA: on a multi-byte system it would lose the 1252 form of a
// cipher text, and nearly every cipher text would be warned of. Wine keeps
// wide text either way, so only the tests' check of the manifest guards
// this.
FieldRead ReadField(HWND dialog, int id, unsigned char* area, int size)
{
    GetDlgItemTextA(dialog, id, AsText(area), size);
    // A byte gives at most one character back. The field is read one
    // character further than that, to tell a longer text.
    WCHAR read[INPUT_BUFFER_SIZE];
    WCHAR held[INPUT_BUFFER_SIZE + 1];
    const int n = MultiByteToWideChar(CP_ACP, 0, AsText(area), -1, read, INPUT_BUFFER_SIZE) - 1;
    const int m = GetWindowTextW(GetDlgItem(dialog, id), held, INPUT_BUFFER_SIZE + 1);
    if (n < 0 || m < n)
        return FIELD_READ_CHANGED;
    for (int i = 0; i < n; ++i)
        if (read[i] != held[i])
            return FIELD_READ_CHANGED;
    return m > n ? FIELD_READ_CUT : FIELD_READ_WHOLE;
}

static bool AnsiIsMultiByte()
{
    CPINFO info;
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}

void ShowCipherText(HWND dialog, int id, const unsigned char* bytes, bool asPasted)
{
    // One character a byte in either code page: the field's length in
    // characters is the bytes' length.
    WCHAR shown[OUTPUT_BUFFER_SIZE];
    MultiByteToWideChar(AnsiIsMultiByte() ? WESTERN_CODE_PAGE : UINT{CP_ACP}, 0, reinterpret_cast<const char*>(bytes), -1,
                        shown, OUTPUT_BUFFER_SIZE);
    SetDlgItemTextW(dialog, id, asPasted ? L"" : shown);
    // A read-only field refuses a paste from the user, not this one.
    if (asPasted)
        SendMessageW(GetDlgItem(dialog, id), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown));
}

// The field's text as code page 1252 bytes, one a character, if each of its
// characters comes back from them unchanged; a look-alike does not count.
static bool ReadWestern(HWND field, unsigned char* area, FieldRead* result)
{
    WCHAR held[INPUT_BUFFER_SIZE + 1];
    WCHAR back[INPUT_BUFFER_SIZE];
    char bytes[INPUT_BUFFER_SIZE];
    const int m = GetWindowTextW(field, held, INPUT_BUFFER_SIZE + 1);
    const int n = m < INPUT_BUFFER_SIZE ? m : INPUT_BUFFER_SIZE - 1;
    WideCharToMultiByte(WESTERN_CODE_PAGE, WC_NO_BEST_FIT_CHARS, held, n, bytes, n, NULL, NULL);
    MultiByteToWideChar(WESTERN_CODE_PAGE, 0, bytes, n, back, n);
    for (int i = 0; i < n; ++i)
        if (back[i] != held[i])
            return false;
    for (int i = 0; i < n; ++i)
        area[i] = static_cast<unsigned char>(bytes[i]);
    *result = m > n ? FIELD_READ_CUT : FIELD_READ_WHOLE;
    return true;
}

FieldRead ReadCipherText(HWND dialog, int id, unsigned char* area)
{
    FieldRead result;
    if (!AnsiIsMultiByte() &&
        (result = ReadField(dialog, id, area, INPUT_BUFFER_SIZE)) != FIELD_READ_CHANGED)
        return result;
    if (ReadWestern(GetDlgItem(dialog, id), area, &result))
        return result;
    return ReadField(dialog, id, area, INPUT_BUFFER_SIZE);
}

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

void NameField(HWND dialog, int fieldId, int labelId, const char* name)
{
    HWND field = GetDlgItem(dialog, fieldId);
    HWND label = CreateWindowExA(0, "STATIC", name, WS_CHILD | SS_LEFT, 0, 0, 0, 0, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(labelId)), AppInstance, NULL);
    // Created last, a child is last in the order; a field first in it has
    // no window before it, and HWND_TOP is NULL.
    SetWindowPos(label, GetWindow(field, GW_HWNDPREV), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

char* Append(char* to, const char* text)
{
    while ((*to = *text++) != 0)
        ++to;
    return to;
}
