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

int HeldIn(UINT codePage, const WCHAR* chars, int n, unsigned char* bytes)
{
    WCHAR back[INPUT_BUFFER_SIZE];
    char* text = AsText(bytes);
    const int m = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, chars, n, text, INPUT_BUFFER_SIZE, NULL, NULL);
    if (m <= 0 || MultiByteToWideChar(codePage, 0, text, m, back, INPUT_BUFFER_SIZE) != n)
        return 0;
    for (int i = 0; i < n; ++i)
        if (back[i] != chars[i])
            return 0;
    return m;
}

FieldRead ReadCipherText(HWND dialog, int id, unsigned char* area)
{
    WCHAR held[INPUT_BUFFER_SIZE + 1];
    unsigned char bytes[INPUT_BUFFER_SIZE];
    const int m = GetWindowTextW(GetDlgItem(dialog, id), held, INPUT_BUFFER_SIZE + 1);
    const int n = m < INPUT_BUFFER_SIZE ? m : INPUT_BUFFER_SIZE - 1;
    // Both code pages have one byte a character; a look-alike does not count.
    const UINT pages[] = {AnsiIsMultiByte() ? WESTERN_CODE_PAGE : UINT{CP_ACP}, WESTERN_CODE_PAGE};
    for (const UINT page : pages) {
        if (n > 0 && HeldIn(page, held, n, bytes) == 0)
            continue;
        for (int i = 0; i < n; ++i)
            area[i] = bytes[i];
        return m > n ? FIELD_READ_CUT : FIELD_READ_WHOLE;
    }
    return ReadField(dialog, id, area, INPUT_BUFFER_SIZE);
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
