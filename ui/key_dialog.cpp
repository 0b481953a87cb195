#include "key_dialog.h"

#include "app_state.h"
#include "resource.h"
#include "text_and_key_rules.h"

void RunKeyDialog()
{
    DialogBoxParamA(AppInstance, "DIALOG_1", NULL, KeyDialogProc, 0);
}

static const char kKeyNotHeld[] = "This Windows cannot use some characters of this key, so it would be used as:\r\n\r\n";
static const char kKeyInvisible[] =
    "This key has invisible characters, typed by Ctrl+Backspace or pasted, so you could not type it again.";
static const char kKeyUnseen[] = "This key has a space at its start or end, or a character that only looks like a "
                                 "space or cannot be seen, so you could not type it again as it looks.";
static const char kUseItAnyway[] = "\r\n\r\nUse it anyway? Choose No to type another key.";

// The question for each way a key can look; the build fails on a way
// without one (-Werror=switch).
static const char* KeyQuestion(KeyLook look)
{
    switch (look) {
    case KEY_AS_IT_LOOKS:
        break;
    case KEY_INVISIBLE:
        return kKeyInvisible;
    case KEY_UNSEEN:
        return kKeyUnseen;
    }
    return NULL;
}

// OK replaces the key with the field's first 55 bytes. A key that cannot be
// typed again as the field holds it is used only if the user says so: the
// code page turns characters it cannot hold into the same '?' or
// look-alike, which makes many keys one; a control character, a space at
// an end and a character that only looks like a space are seen as nothing
// or as another. Keys made that way before must still decrypt. The rest of the
// area is left as it is: nothing reads past the new zero byte.
static void OnKeyConfirmed(HWND dialog)
{
    unsigned char key[KEY_BUFFER_SIZE];
    char text[Longer(sizeof kKeyNotHeld + KEY_BUFFER_SIZE, Longer(sizeof kKeyInvisible, sizeof kKeyUnseen)) +
              sizeof kUseItAnyway];
    char* question = text;
    if (ReadField(dialog, IDC_KEY, key, KEY_BUFFER_SIZE) == FIELD_READ_CHANGED)
        question = Append(Append(text, kKeyNotHeld), AsText(key));
    else if (const char* reason = KeyQuestion(HowKeyLooks(key)))
        question = Append(text, reason);
    if (question != text) {
        Append(question, kUseItAnyway);
        if (MessageBoxA(dialog, text, "Corvex", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            HWND field = GetDlgItem(dialog, IDC_KEY);
            SetFocus(field);
            SendMessageA(field, EM_SETSEL, 0, -1);
            return;
        }
    }
    Append(AsText(KeyBuffer), AsText(key));
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        NameField(dialog, IDC_KEY, IDC_KEY_LABEL, "Key");
        SetFocus(GetDlgItem(dialog, IDC_KEY));
        return 1;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 1;
    case WM_COMMAND:
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDOK:
                OnKeyConfirmed(dialog);
                break;
            }
        }
        return 1;
    }
    return 0;
}
