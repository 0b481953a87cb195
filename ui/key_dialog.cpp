#include "key_dialog.h"

#include "app_state.h"
#include "resource.h"

void RunKeyDialog()
{
    DialogBoxParamA(AppInstance, "DIALOG_1", NULL, KeyDialogProc, 0);
}

// OK replaces the key with the field's first 55 bytes. The rest of the area
// is left as it is: nothing reads past the new zero byte.
static void OnKeyConfirmed(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_KEY, AsText(KeyBuffer), KEY_BUFFER_SIZE);
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
