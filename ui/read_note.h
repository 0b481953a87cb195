// Decrypt's reading of a pasted cipher text: in the letters of whichever
// Windows code page showed it, mended where mail or chat changed it, and
// the note in the letters of the code page it was written in.
#ifndef CORVANE_UI_READ_NOTE_H
#define CORVANE_UI_READ_NOTE_H

#include <windows.h>

#include "mend.h"

// Reads the cipher text pasted into control id under the subkeys set up
// now. NOTE_MENDED puts the note into area, zero padded to
// INPUT_BUFFER_SIZE bytes, and the code page of its letters into *codePage.
NoteVerdict ReadNote(HWND dialog, int id, unsigned char* area, UINT* codePage);
// ... the same of the n characters pasted.
NoteVerdict ReadPastedNote(const WCHAR* pasted, int n, unsigned char* area, UINT* codePage);

// Shows the zero-terminated note in control id, in the letters of codePage.
void ShowNote(HWND dialog, int id, const unsigned char* note, UINT codePage);

#endif
