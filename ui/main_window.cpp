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

// The Encrypt and Decrypt sequence. A short key opens the key dialog once;
// whatever key stands when it closes is used, short or not.
static void RunCrypt(HWND dialog, CryptMode mode)
{
    if (TextLength(KeyBuffer, KEY_BUFFER_SIZE) < 4)
        RunKeyDialog();
    ZeroArea(InputBuffer, INPUT_BUFFER_SIZE);
    GetDlgItemTextA(dialog, IDC_INPUT, AsText(InputBuffer), INPUT_BUFFER_SIZE);
    CryptText(OutputBuffer, InputBuffer, KeyBuffer, mode);
    SetDlgItemTextA(dialog, IDC_OUTPUT, AsText(OutputBuffer));
    ZeroArea(OutputBuffer, OUTPUT_WRITTEN_SIZE);
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
