#include "read_note.h"

#include "app_state.h"

// The code pages a cipher text may be shown in: Corvane shows one in the
// Western code page where the system's has several bytes a character, and
// in the system's own letters on every single-byte Windows.
static const unsigned kShownIn[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874};
// The notes shown in the Western form: 1252's own, and those of the code
// pages of several bytes a character.
static const unsigned kWesternNotes[] = {1252, 932, 936, 949, 950, 65001};

NoteVerdict ReadNote(HWND dialog, int id, unsigned char* area, UINT* codePage)
{
    WCHAR pasted[INPUT_BUFFER_SIZE + 1];
    const int n = GetWindowTextW(GetDlgItem(dialog, id), pasted, INPUT_BUFFER_SIZE + 1);
    return ReadPastedNote(pasted, n, area, codePage);
}

NoteVerdict ReadPastedNote(const WCHAR* pasted, int n, unsigned char* area, UINT* codePage)
{
    NoteChoice choice;
    StartNoteChoice(&choice);
    unsigned char bytes[INPUT_BUFFER_SIZE];
    // The system's own code page first, once: on a double-byte one, earlier
    // versions showed cipher texts in its letters; never in UTF-8's, which
    // no version showed them in (and where Windows refuses HeldIn's
    // WC_NO_BEST_FIT_CHARS, as Microsoft's WideCharToMultiByte page says;
    // Wine takes it). Over 255 characters is not a cipher text alone.
    const unsigned home = GetACP();
    for (int i = -1; i < static_cast<int>(sizeof kShownIn / sizeof *kShownIn) && n < INPUT_BUFFER_SIZE; ++i) {
        const unsigned page = i < 0 ? home : kShownIn[i];
        const int size = page == (i < 0 ? CP_UTF8 : home) ? 0 : HeldIn(page, pasted, n, bytes);
        // A note shown in another code page's letters is in that code page.
        if (size > 0 && page == 1252)
            ReadForms(&choice, bytes, size, kWesternNotes, sizeof kWesternNotes / sizeof *kWesternNotes, home);
        else if (size > 0)
            ReadForms(&choice, bytes, size, &page, 1, home);
    }
    const NoteVerdict verdict = JudgeChoice(&choice);
    if (verdict == NOTE_MENDED) {
        static_assert(sizeof choice.note == INPUT_BUFFER_SIZE, "a note fills an input area");
        for (int i = 0; i < INPUT_BUFFER_SIZE; ++i)
            area[i] = choice.note[i];
        *codePage = choice.codePage;
    }
    return verdict;
}

void ShowNote(HWND dialog, int id, const unsigned char* note, UINT codePage)
{
    WCHAR shown[OUTPUT_BUFFER_SIZE];
    MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(note), -1, shown, OUTPUT_BUFFER_SIZE);
    SetDlgItemTextW(dialog, id, shown);
}
