#include "main_window.h"

#include <commctrl.h>

#include "app_state.h"
#include "crypt_text.h"
#include "key_dialog.h"
#include "read_note.h"
#include "resource.h"
#include "text_and_key_rules.h"

static const char kAboutText[] = "  Corvane v1.0\r\n\r\n" CORVANE_CONTACT;

// The length of a zero-terminated text in an area, never past its end.
static int TextLength(const unsigned char* area, int size)
{
    int n = 0;
    while (n < size && area[n] != 0)
        ++n;
    return n;
}

static void ZeroArea(unsigned char* area, int size)
{
    for (int i = 0; i < size; ++i)
        area[i] = 0;
}

// The check after Encrypt uses areas of its own. PastedBuffer: the cipher
// text as Decrypt would read it after a paste, then what Decrypt would show
// for it. WarningText: the warning, joined from parts.
static unsigned char PastedBuffer[OUTPUT_BUFFER_SIZE];
static char WarningText[256];

// Encrypt's warning: kCannotDecrypt, a reason, then what to do about it and
// kEncryptAgain.
static const char kCannotDecrypt[] = "This cipher text would not give your text back: ";
// What the text held: only a change to it cures these.
static const char kTextNotHeld[] = "the text has characters that this Windows cannot use.";
static const char kTextOver255[] = "the text is too long, so only its start was encrypted.";
static const char kTextInvisible[] =
    "the text has invisible characters, typed by Ctrl+Backspace or pasted from another program.";
// What became of its cipher text.
static const char kDoesNotFit[] = "it is too long to paste back into Input String.";
static const char kCodePage[] = "this Windows changed it.";
static const char kTooLong[] = "the text is too long to come back whole.";
static const char kZeroByte[] = "part of it cannot be shown, so its end is missing.";
static const char kReadOtherwise[] = "it could be read back as another text.";
static const char kReplaceThem[] = "\r\n\r\nReplace them";
static const char kTypeItAgain[] = "\r\n\r\nType the text again by hand";
static const char kShortenIt[] = "\r\n\r\nShorten the text";
// Each block is encrypted on its own: a change at the start moves every
// block, one at the end changes the last block alone.
static const char kChangeTheStart[] = "\r\n\r\nStart the text with a space or a word";
static const char kEncryptAgain[] = ", and encrypt again.";
// After Decrypt: what could not be read as pasted, or that a cipher text
// that is not whole was read.
static const char kNotReadAsPasted[] = "This cipher text could not be read as pasted: ";
static const char kNotInEitherCodePage[] =
    "it has characters Corvane cannot read here. It was changed on the way, or made on a Windows set to "
    "another language, so the text shown may be wrong.";
static const char kOver255Read[] = "only its start was read, as it is too long";
static const char kIncomplete[] = "Part of this cipher text is missing";
static const char kMayBeWrong[] = ", so the end of the text shown may be wrong.";
// After Decrypt, for a note that more than one code page reads as a text,
// and for forms that leave doubt.
static const char kOtherLetters[] =
    "The text shown may be in the wrong letters: it was written on a Windows set to another language, and "
    "Corvane cannot tell which. Decrypt it on a Windows set like the sender's.";
static const char kUnsure[] =
    "This cipher text may have been changed on the way, and more than one text could be what was encrypted, "
    "so the text shown may be wrong.";
// After Decrypt, for bytes that no text encrypts to.
static const char kNotAText[] =
    "The text shown cannot be what was encrypted: the key is probably wrong, or the cipher text was changed "
    "on the way (or made on a Windows set to another language).\r\n\r\n"
    "Key > Default Key shows the key in use.";

static_assert(sizeof kCannotDecrypt + sizeof kEncryptAgain +
                      Longer(Longer(sizeof kTextNotHeld + sizeof kReplaceThem, sizeof kTextInvisible + sizeof kTypeItAgain),
                             Longer(sizeof kChangeTheStart +
                                        Longer(Longer(sizeof kCodePage, sizeof kZeroByte), sizeof kReadOtherwise),
                                    sizeof kShortenIt + Longer(Longer(sizeof kTextOver255, sizeof kDoesNotFit),
                                                               sizeof kTooLong))) <=
                  sizeof WarningText,
              "every warning after Encrypt fits WarningText");
static_assert(sizeof kNotReadAsPasted + Longer(sizeof kNotInEitherCodePage, sizeof kOver255Read + sizeof kMayBeWrong) <=
                  sizeof WarningText,
              "every warning after Decrypt fits WarningText");

// How many bytes two texts share from their start, before either ends.
static int SharedLength(const unsigned char* a, const unsigned char* b)
{
    int n = 0;
    while (n < INPUT_BUFFER_SIZE && a[n] == b[n] && a[n] != 0)
        ++n;
    return n;
}

// Shows the cipher text in the output field, after putting it there as a
// paste would put it into the input field, which has the same size, font
// and wrapping; PastedBuffer gets what Decrypt would read after that paste,
// and the result says whether Decrypt would show the text as it stands in
// InputBuffer, in the letters it was typed in.
// The field is asked, not predicted: without automatic scrolling, Windows 7
// (and Wine) refuse a paste whole when it needs more lines than the field
// shows; later Windows may take more than the lines the field shows, and
// may break lines at a lone LF otherwise. Drawing is off meanwhile. Turned
// on again, it draws nothing by itself, so the field is redrawn whole, as
// Microsoft's WM_SETREDRAW page asks, and the cipher text shown.
static NoteVerdict ShowCipherTextAfterAPaste(HWND dialog)
{
    HWND output = GetDlgItem(dialog, IDC_OUTPUT);
    SendMessageA(output, WM_SETREDRAW, FALSE, 0);
    ShowCipherText(dialog, IDC_OUTPUT, OutputBuffer, true);
    ZeroArea(PastedBuffer, INPUT_BUFFER_SIZE);
    ReadCipherText(dialog, IDC_OUTPUT, PastedBuffer);
    // The subkeys are the key's: CryptText has just encrypted with them.
    unsigned char note[INPUT_BUFFER_SIZE];
    UINT codePage;
    const NoteVerdict verdict = ReadNote(dialog, IDC_OUTPUT, note, &codePage);
    // A note mended, but not the text as typed, is not the text.
    bool back = false;
    if (verdict == NOTE_MENDED) {
        const int shared = SharedLength(note, InputBuffer);
        back = codePage == GetACP() && note[shared] == 0 && InputBuffer[shared] == 0;
    }
    SendMessageA(output, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(output, NULL, NULL, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    ShowCipherText(dialog, IDC_OUTPUT, OutputBuffer, false);
    return back || verdict == NOTE_AS_PASTED ? verdict : NOTE_DOUBT;
}

// Why the text of length bytes, read as input says, will not come back as
// it stands in the field, if it will not (back: how Decrypt would read
// its cipher text pasted, NOTE_MENDED only where that is the text);
// whatToDo is set to the cure. The first reason that holds is given: the
// text's own, then what became of its cipher text, pasted and decrypted.
static const char* EncryptWarning(FieldRead input, int length, NoteVerdict back, const char** whatToDo)
{
    *whatToDo = kReplaceThem;
    if (input == FIELD_READ_CHANGED)
        return kTextNotHeld;
    *whatToDo = kShortenIt;
    if (input == FIELD_READ_CUT)
        return kTextOver255;
    *whatToDo = kTypeItAgain;
    if (!CanBeText(InputBuffer, INPUT_BUFFER_SIZE))
        return kTextInvisible;
    // Decrypt reads 255 bytes at most.
    const int read = TextLength(PastedBuffer, INPUT_BUFFER_SIZE);
    const int shown = TextLength(OutputBuffer, OUTPUT_BUFFER_SIZE);
    const int whole = shown < INPUT_BUFFER_SIZE ? shown : INPUT_BUFFER_SIZE - 1;
    const int asShown = SharedLength(PastedBuffer, OutputBuffer);
    // As pasted, Decrypt shows the text where the paste is the whole
    // cipher text.
    if (back == NOTE_MENDED || (back == NOTE_AS_PASTED && asShown == read && read == (length + 7) / 8 * 8))
        return NULL;
    *whatToDo = kChangeTheStart;
    if (asShown != read)
        return kCodePage;
    *whatToDo = kShortenIt;
    // Only its start was taken, or none of it.
    if (read < whole)
        return kDoesNotFit;
    // 32 blocks: only 255 of their 256 bytes are read back.
    if (length > OUTPUT_WRITTEN_SIZE - 8)
        return kTooLong;
    *whatToDo = kChangeTheStart;
    // Whole, yet read otherwise: the forms a way could make of it leave
    // doubt. Another start makes every block anew.
    return shown < (length + 7) / 8 * 8 ? kZeroByte : kReadOtherwise;
}

// What Decrypt warns of when no reading of the paste stood out, for what
// it read as pasted and the bytes it left in OutputBuffer. A note whose
// code page cannot be told comes first. Then a cipher text not read as
// pasted: that is also why its length may be wrong. A result that cannot
// be a text comes last: those before it say better why. With none of
// these, the forms left doubt.
static const char* DecryptWarning(FieldRead input, int length, NoteVerdict note)
{
    if (note == NOTE_LETTERS)
        return kOtherLetters;
    const char* start = kNotReadAsPasted;
    const char* reason = kOver255Read;
    const char* end = kMayBeWrong;
    if (input == FIELD_READ_CHANGED) {
        reason = kNotInEitherCodePage;
        end = "";
    } else if (input == FIELD_READ_WHOLE) {
        if (length % 8 == 0)
            return CanBeText(OutputBuffer, OUTPUT_WRITTEN_SIZE) ? kUnsure : kNotAText;
        start = kIncomplete;
        reason = "";
    }
    Append(Append(Append(WarningText, start), reason), end);
    return WarningText;
}

// The Encrypt and Decrypt sequence. A short key opens the key dialog once;
// whatever key stands when it closes is used, short or not. A text that is
// not encrypted as typed, a shown cipher text that cannot come back whole,
// or a cipher text to decrypt that cannot be whole, is warned of last: a
// command run while the warning is open then finds the areas as after any
// command.
static void RunCrypt(HWND dialog, CryptMode mode)
{
    if (TextLength(KeyBuffer, KEY_BUFFER_SIZE) < 4)
        RunKeyDialog();
    ZeroArea(InputBuffer, INPUT_BUFFER_SIZE);
    const FieldRead input = mode == CRYPT_ENCRYPT ? ReadField(dialog, IDC_INPUT, InputBuffer, INPUT_BUFFER_SIZE)
                                                  : ReadCipherText(dialog, IDC_INPUT, InputBuffer);
    // Measured now: an empty text's message lets other commands run, and
    // they refill InputBuffer. A text that is not empty runs no loop.
    const int length = TextLength(InputBuffer, INPUT_BUFFER_SIZE);
    CryptText(OutputBuffer, InputBuffer, KeyBuffer, mode);
    const char* warning = NULL;
    if (mode == CRYPT_ENCRYPT) {
        const NoteVerdict back = ShowCipherTextAfterAPaste(dialog);
        const char* whatToDo;
        const char* reason = length > 0 ? EncryptWarning(input, length, back, &whatToDo) : NULL;
        if (reason) {
            Append(Append(Append(Append(WarningText, kCannotDecrypt), reason), whatToDo), kEncryptAgain);
            warning = WarningText;
        }
    } else {
        // Without a reading that stands out, the bytes as pasted are shown
        // as before, and warned of: in the ANSI code page, as
        // SetDlgItemTextA converted them.
        UINT codePage = CP_ACP;
        const NoteVerdict note = length > 0 ? ReadNote(dialog, IDC_INPUT, OutputBuffer, &codePage) : NOTE_AS_PASTED;
        ShowNote(dialog, IDC_OUTPUT, OutputBuffer, codePage);
        if (note > NOTE_MENDED)
            warning = DecryptWarning(input, length, note);
    }
    ZeroArea(OutputBuffer, OUTPUT_WRITTEN_SIZE);
    if (warning)
        MessageBoxA(dialog, warning, "Corvex", MB_OK | MB_ICONWARNING);
}

// The menu's Encrypt and Decrypt act exactly as a click on their button.
static void ClickButton(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

static void OnClear(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_INPUT, NULL);
    SetDlgItemTextA(dialog, IDC_OUTPUT, NULL);
}

static void OnShowKey(HWND dialog)
{
    MessageBoxA(dialog, AsText(KeyBuffer), "Default Key Is:", MB_OK);
}

static void OnAbout(HWND dialog)
{
    MessageBoxA(dialog, kAboutText, "Corvex", MB_OK);
}

static void OnMenuCommand(HWND dialog, WORD id)
{
    switch (id) {
    case IDM_ENCRYPT:
        ClickButton(dialog, IDC_ENCRYPT);
        break;
    case IDM_DECRYPT:
        ClickButton(dialog, IDC_DECRYPT);
        break;
    case IDM_CLEAR:
        OnClear(dialog);
        break;
    case IDM_EXIT:
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case IDM_DEFAULT_KEY:
        OnShowKey(dialog);
        break;
    case IDM_INPUT_KEY:
        RunKeyDialog();
        break;
    case IDM_ABOUT:
        OnAbout(dialog);
        break;
    }
}

static void OnButton(HWND dialog, WORD id)
{
    switch (id) {
    case IDC_ENCRYPT:
        RunCrypt(dialog, CRYPT_ENCRYPT);
        break;
    case IDC_DECRYPT:
        RunCrypt(dialog, CRYPT_DECRYPT);
        break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The group boxes stand before both fields, so the labels screen
        // readers find would name the input field "Output String".
        NameField(dialog, IDC_INPUT, IDC_INPUT_LABEL, "Input String");
        NameField(dialog, IDC_OUTPUT, IDC_OUTPUT_LABEL, "Output String");
        SetFocus(GetDlgItem(dialog, IDC_INPUT));
        return 1;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 1;
    case WM_COMMAND:
        if (lParam == 0)
            OnMenuCommand(dialog, LOWORD(wParam));
        else if (HIWORD(wParam) == BN_CLICKED)
            OnButton(dialog, LOWORD(wParam));
        return 1;
    }
    return 0;
}

// No C runtime: this is the executable's entry point. The status bar's class
// must be registered before the template is created, hence comctl32 first.
extern "C" __attribute__((force_align_arg_pointer)) void CorvexStart()
{
    InitCommonControls();
    AppInstance = GetModuleHandleA(NULL);
    INT_PTR result = DialogBoxParamA(AppInstance, "DIALOG_0", NULL, MainDialogProc, 0);
    ExitProcess(static_cast<UINT>(result));
}
