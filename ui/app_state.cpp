#include "app_state.h"

unsigned char KeyBuffer[KEY_BUFFER_SIZE];
unsigned char InputBuffer[INPUT_BUFFER_SIZE];
unsigned char OutputBuffer[OUTPUT_BUFFER_SIZE];
HINSTANCE AppInstance;

// The fields hold wide characters, and the ANSI functions silently replace
// what the code page cannot hold with look-alikes or '?'. So the bytes are
// turned back into characters and compared with the field's own text.
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

char* Append(char* to, const char* text)
{
    while ((*to = *text++) != 0)
        ++to;
    return to;
}
