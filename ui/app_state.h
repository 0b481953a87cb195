// The process-wide areas the front end owns; they live as long as the process.
#ifndef CORVANE_UI_APP_STATE_H
#define CORVANE_UI_APP_STATE_H

#include <windows.h>

enum : int {
    KEY_BUFFER_SIZE = 56,     // a key of 0 to 55 bytes and its zero byte
    INPUT_BUFFER_SIZE = 256,  // a text of 0 to 255 bytes, zero to the end
    OUTPUT_BUFFER_SIZE = 257, // 256 cipher bytes at most; the last stays zero
    OUTPUT_WRITTEN_SIZE = 256,
};

extern unsigned char KeyBuffer[KEY_BUFFER_SIZE];
extern unsigned char InputBuffer[INPUT_BUFFER_SIZE];
extern unsigned char OutputBuffer[OUTPUT_BUFFER_SIZE];
extern HINSTANCE AppInstance;

// The areas hold bytes; the ANSI window functions take char.
inline char* AsText(unsigned char* area)
{
    return reinterpret_cast<char*>(area);
}

// What reading a field's text as ANSI bytes made of it.
enum FieldRead : int {
    FIELD_READ_WHOLE,   // the bytes are the field's text
    FIELD_READ_CHANGED, // the code page could not hold some of its characters
    FIELD_READ_CUT,     // the start that fits the area, unchanged
};

// GetDlgItemTextA of control id into an area of size bytes (at most
// INPUT_BUFFER_SIZE), and what that made of the field's text.
FieldRead ReadField(HWND dialog, int id, unsigned char* area, int size);

// A cipher text's bytes are shown as characters of the ANSI code page where
// it has one byte a character, and of the Western code page 1252 where it
// has more. Shows the zero-terminated bytes in control id; with asPasted,
// puts them into the emptied field as a paste puts them, which a field
// without automatic scrolling may refuse or take in part.
void ShowCipherText(HWND dialog, int id, const unsigned char* bytes, bool asPasted);

// The n characters as bytes of codePage, if each comes back from them
// unchanged (a look-alike does not count); returns how many bytes, or 0.
// bytes has room for INPUT_BUFFER_SIZE.
int HeldIn(UINT codePage, const WCHAR* chars, int n, unsigned char* bytes);

// Reads a cipher text pasted into control id into an all-zero area of
// INPUT_BUFFER_SIZE bytes, in whichever of the two code pages holds every
// character: the ANSI one first where it has one byte a character, 1252
// first where it has more. FIELD_READ_CHANGED: neither holds them all, and
// the ANSI code page changed some.
FieldRead ReadCipherText(HWND dialog, int id, unsigned char* area);

// Gives control fieldId the name screen readers read for it, without a
// change to what is seen: an invisible static control of id labelId, put
// just before the field in the window order. Windows' accessibility names
// a field with no text of its own by the static found walking back from it
// (oleacc, and the UI Automation proxies ported from it), and tries
// invisible statics first for this very use.
void NameField(HWND dialog, int fieldId, int labelId, const char* name);

// The longer of two sizes, for areas that hold the longest of some texts.
constexpr size_t Longer(size_t a, size_t b)
{
    return a > b ? a : b;
}

// Copies text to the end of to, zero byte included; returns where it ends.
char* Append(char* to, const char* text);

#endif
