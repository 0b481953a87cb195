#include "main_window.h"

#include <commctrl.h>

#include "app_state.h"
#include "crypt_text.h"
#include "key_dialog.h"
#include "resource.h"

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

// The check after Encrypt uses areas of its own. PastedBuffer: the shown
// cipher text as Decrypt would read it from the input field, then what
// Decrypt would show for it. WarningText: the warning, joined from parts.
static unsigned char PastedBuffer[OUTPUT_BUFFER_SIZE];
static char WarningText[256];

static const char kCannotDecrypt[] = "This cipher text cannot be decrypted whole: ";
static const char kZeroByte[] = "it contains a byte that cannot be shown, so its end is missing.";
static const char kTooLong[] = "it is 256 bytes long, too long to be read back.";
static const char kDoesNotFit[] = "it would not fit the input field if pasted there.";
static const char kCodePage[] = "the system's code page changed it.";
// What the text itself lost before it was encrypted.
static const char kTextNotHeld[] =
    "the text has characters this system's code page cannot hold, so others were encrypted.";
static const char kTextOver255[] = "only the text's first 255 bytes were encrypted.";
// What to do, then kEncryptAgain.
static const char kWhatToDo[] = "\r\n\r\nChange the text slightly (for example, add a space) or shorten it";
static const char kReplaceThem[] = "\r\n\r\nReplace them";
static const char kShortenIt[] = "\r\n\r\nShorten the text";
static const char kEncryptAgain[] = ", and encrypt again.";
// After Decrypt: what could not be read as pasted, or that a cipher text
// that is not whole was read.
static const char kNotReadAsPasted[] = "This cipher text could not be read as pasted: ";
static const char kNotInEitherCodePage[] =
    "it has characters that neither this system's code page nor the Western one can hold. "
    "It was changed on the way, or made on a Windows with another code page, so the text shown may be wrong.";
static const char kOver255Read[] = "it is over 255 bytes long, and only its first 255 bytes were read";
static const char kIncomplete[] = "This cipher text is incomplete: a whole one is a multiple of 8 bytes long";
static const char kMayBeWrong[] = ", so the end of the text shown may be wrong.";
// After Decrypt, for bytes that no text encrypts to.
static const char kNotAText[] =
    "The text shown cannot be what was encrypted: the key is probably wrong, or the cipher text was changed "
    "on the way (or its text was written on a Windows with another code page).\r\n\r\n"
    "Key > Default Key shows the key in use.";

constexpr size_t Longer(size_t a, size_t b)
{
    return a > b ? a : b;
}
static_assert(sizeof kCannotDecrypt + sizeof kEncryptAgain +
                      Longer(sizeof kWhatToDo + Longer(Longer(sizeof kZeroByte, sizeof kTooLong),
                                                       Longer(sizeof kDoesNotFit, sizeof kCodePage)),
                             Longer(sizeof kTextNotHeld + sizeof kReplaceThem,
                                    sizeof kTextOver255 + sizeof kShortenIt)) <=
                  sizeof WarningText,
              "every warning fits WarningText");
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

// The y of a character in an edit field, or -1 if it has none.
static int CharTop(HWND field, WPARAM index)
{
    const LRESULT at = SendMessageA(field, EM_POSFROMCHAR, index, 0);
    return at == -1 ? -1 : static_cast<short>(HIWORD(at));
}

// Whether the input field would take the shown cipher text if it were
// pasted there. Without automatic scrolling it refuses a paste whole when
// the text needs more lines than its formatting rectangle holds whole: the
// rectangle's height over the line height, rounded down. The rectangle may
// keep a partial last line, so lines are counted, not looked up at its
// bottom. The output field has the input field's size, font and wrapping.
bool FitsTheInputField(HWND dialog)
{
    HWND output = GetDlgItem(dialog, IDC_OUTPUT);
    const LRESULT lines = SendMessageA(output, EM_GETLINECOUNT, 0, 0);
    // Positions are measured from line 0 at the top.
    if (SendMessageA(output, EM_GETFIRSTVISIBLELINE, 0, 0) != 0)
        return false;
    if (lines <= 1)
        return true;
    RECT format;
    SendMessageA(output, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int top = CharTop(output, 0);
    const int next = CharTop(output, static_cast<WPARAM>(SendMessageA(output, EM_LINEINDEX, 1, 0)));
    // Line 1 has no position only when it is empty and last: then the text
    // is one line and a line break, which the field, some five lines of its
    // font tall at any size, holds.
    if (next < 0)
        return lines == 2;
    if (top < 0 || next <= top)
        return false;
    return lines <= (format.bottom - format.top) / (next - top);
}

// Whether the cipher text just shown comes back as the text when a user
// copies it into the input field and decrypts it; if not, the reason.
// Read back as Decrypt reads the input field, it is what Decrypt would get.
static const char* CheckShownCipherText(HWND dialog)
{
    ZeroArea(PastedBuffer, INPUT_BUFFER_SIZE);
    ReadCipherText(dialog, IDC_OUTPUT, PastedBuffer);
    if (!FitsTheInputField(dialog))
        return kDoesNotFit;
    const int pasted = TextLength(PastedBuffer, INPUT_BUFFER_SIZE);
    const int shown = TextLength(OutputBuffer, OUTPUT_BUFFER_SIZE);
    const char* reason = kZeroByte;
    if (SharedLength(PastedBuffer, OutputBuffer) < pasted)
        reason = kCodePage;
    else if (pasted < shown) // only 255 of 256 bytes are read
        reason = shown == OUTPUT_WRITTEN_SIZE ? kTooLong : kCodePage;
    // Deciphered in place: the area past the pasted text is zero.
    if (pasted > 0) {
        CryptText(PastedBuffer, PastedBuffer, KeyBuffer, CRYPT_DECRYPT);
        const int shared = SharedLength(PastedBuffer, InputBuffer);
        if (PastedBuffer[shared] == 0 && InputBuffer[shared] == 0)
            return NULL;
    }
    return reason;
}

// Why the text will not come back as typed after Encrypt, if it will not,
// and what to do about it.
static const char* EncryptWarning(HWND dialog, FieldRead input, const char** whatToDo)
{
    *whatToDo = kWhatToDo;
    if (input == FIELD_READ_CHANGED) {
        *whatToDo = kReplaceThem;
        return kTextNotHeld;
    }
    if (input == FIELD_READ_CUT) {
        *whatToDo = kShortenIt;
        return kTextOver255;
    }
    return CheckShownCipherText(dialog);
}

// What Decrypt warns of, if anything, for what it read and the bytes it
// left in OutputBuffer. A cipher text not read as pasted comes first: that
// is also why its length may be wrong. A result that cannot be a text comes
// last: those before it say better why.
static const char* DecryptWarning(FieldRead input, int length)
{
    const char* start = kNotReadAsPasted;
    const char* reason = kOver255Read;
    const char* end = kMayBeWrong;
    if (input == FIELD_READ_CHANGED) {
        reason = kNotInEitherCodePage;
        end = "";
    } else if (input == FIELD_READ_WHOLE) {
        if (length % 8 == 0)
            return CanBeText(OutputBuffer, OUTPUT_WRITTEN_SIZE) ? NULL : kNotAText;
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
    if (mode == CRYPT_ENCRYPT)
        ShowCipherText(dialog, IDC_OUTPUT, OutputBuffer);
    else
        SetDlgItemTextA(dialog, IDC_OUTPUT, AsText(OutputBuffer));
    const char* warning = NULL;
    if (length > 0) {
        if (mode == CRYPT_ENCRYPT) {
            const char* whatToDo;
            if (const char* reason = EncryptWarning(dialog, input, &whatToDo)) {
                Append(Append(Append(Append(WarningText, kCannotDecrypt), reason), whatToDo), kEncryptAgain);
                warning = WarningText;
            }
        } else {
            warning = DecryptWarning(input, length);
        }
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
