// Corvex.exe as a process of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam)
{
    Search* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (pid == s->pid && IsWindowVisible(window) && std::string(title) == "Corvane v1.0") {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// Starts Corvex.exe and waits for its main window.
HWND StartCorvex(PROCESS_INFORMATION* pi)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    char cmd[] = "Corvex.exe";
    if (!CreateProcessA(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, pi))
        return NULL;
    // Under an emulated Wine a start takes a minute or more.
    Search s = {pi->dwProcessId, NULL};
    for (int i = 0; i < 3000 && !s.found; ++i) {
        Sleep(100);
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&s));
    }
    if (!s.found) {
        // Never leave it running: it would hold the test runner's pipes.
        TerminateProcess(pi->hProcess, 1);
        WaitForSingleObject(pi->hProcess, 10000);
        CloseHandle(pi->hThread);
        CloseHandle(pi->hProcess);
    }
    return s.found;
}

DWORD WaitForExit(const PROCESS_INFORMATION& pi)
{
    const DWORD waited = WaitForSingleObject(pi.hProcess, 300000);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    DWORD code = 12345;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Process, ExitMenuExitsWithZero)
{
    PROCESS_INFORMATION pi = {};
    HWND window = StartCorvex(&pi);
    ASSERT_NE(window, (HWND)NULL) << "Corvex.exe showed no window";
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(WaitForExit(pi), 0u);
}

TEST(Process, ClosingTheWindowExitsWithZero)
{
    PROCESS_INFORMATION pi = {};
    HWND window = StartCorvex(&pi);
    ASSERT_NE(window, (HWND)NULL) << "Corvex.exe showed no window";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(pi), 0u);
}

} // namespace
