// Corvex.exe as a process of its own.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

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
    Search s = {pi->dwProcessId, NULL};
    for (int i = 0; i < 1200 && !s.found; ++i) {
        Sleep(100);
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&s));
    }
    return s.found;
}

DWORD WaitForExit(const PROCESS_INFORMATION& pi)
{
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 12345;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Process, ClosingTheWindowExitsWithZero)
{
    PROCESS_INFORMATION pi = {};
    HWND window = StartCorvex(&pi);
    ASSERT_NE(window, (HWND)NULL) << "Corvex.exe showed no window";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(pi), 0u);
}

TEST(Process, ExitMenuExitsWithZero)
{
    PROCESS_INFORMATION pi = {};
    HWND window = StartCorvex(&pi);
    ASSERT_NE(window, (HWND)NULL) << "Corvex.exe showed no window";
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(WaitForExit(pi), 0u);
}

// The manifest asks for common controls 6; the loader must have taken the
// side-by-side copy, not the system one.
TEST(Process, LoadsCommonControlsVersion6)
{
    PROCESS_INFORMATION pi = {};
    HWND window = StartCorvex(&pi);
    ASSERT_NE(window, (HWND)NULL) << "Corvex.exe showed no window";
    HMODULE modules[256];
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(pi.hProcess, modules, sizeof modules, &needed));
    std::string comctl;
    for (DWORD i = 0; i < needed / sizeof(HMODULE); ++i) {
        char path[MAX_PATH] = {};
        GetModuleFileNameExA(pi.hProcess, modules[i], path, MAX_PATH);
        std::string p(path);
        std::string lower;
        for (char c : p)
            lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (lower.size() >= 12 && lower.compare(lower.size() - 12, 12, "comctl32.dll") == 0)
            comctl = p;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(pi), 0u);

    ASSERT_FALSE(comctl.empty()) << "comctl32 is not loaded";
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeA(comctl.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << comctl;
    ASSERT_TRUE(GetFileVersionInfoA(comctl.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 6) << comctl;
    EXPECT_NE(comctl.find("winsxs"), std::string::npos) << comctl;
}

} // namespace
