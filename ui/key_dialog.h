#ifndef CORVANE_UI_KEY_DIALOG_H
#define CORVANE_UI_KEY_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the key entry dialog, unowned, until it closes.
void RunKeyDialog();

#endif
