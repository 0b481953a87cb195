#ifndef CORVANE_UI_MAIN_WINDOW_H
#define CORVANE_UI_MAIN_WINDOW_H

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The process entry: runs the main window and exits with its result.
extern "C" void CorvexStart();

#endif
