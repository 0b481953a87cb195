#include "key_dialog.h"

#include "app_state.h"
#include "resource.h"

void RunKeyDialog()
{
    DialogBoxParamA(AppInstance, "DIALOG_1", NULL, KeyDialogProc, 0);
}

static const char kKeyNotHeld[] =
    "Some characters of this key are not in this system's code page, so it would be used as:\r\n\r\n";
static const char kUseItAnyway[] = "\r\n\r\nUse it anyway? Choose No to type another key.";

// OK replaces the key with the field's first 55 bytes. The code page turns
// characters it cannot hold into the same '?' or look-alike, which makes
// many keys one, so such a key is used only if the user says so: keys made
// that way before must still decrypt. The rest of the area is left as it
// is: nothing reads past the new zero byte.
static void OnKeyConfirmed(HWND dialog)
{
    unsigned char key[KEY_BUFFER_SIZE];
    if (ReadField(dialog, IDC_KEY, key, KEY_BUFFER_SIZE) == FIELD_READ_CHANGED) {
        char text[sizeof kKeyNotHeld + KEY_BUFFER_SIZE + sizeof kUseItAnyway];
        Append(Append(Append(text, kKeyNotHeld), AsText(key)), kUseItAnyway);
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
