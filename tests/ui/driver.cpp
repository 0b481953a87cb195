#include "driver.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include <dlgs.h>

#include "app_state.h"
#include "crypt_text.h"
#include "main_window.h"
#include "resource.h"

namespace {

constexpr UINT kTickMs = 10;
constexpr DWORD kStepTimeoutMs = 20000;
constexpr DWORD kRecloseMs = 1000;

Script* g_running = nullptr;
// Once a step has timed out, later scripts are not run: a fault that makes
// one step wait in vain usually makes every later test wait too.
bool g_timedOut = false;

struct Found {
    bool shownOnly;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam)
{
    Found* f = reinterpret_cast<Found*>(lParam);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0 && (!f->shownOnly || IsWindowVisible(window)))
        f->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> ThreadDialogs(bool shownOnly = true)
{
    Found f = {shownOnly, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&f));
    return f.windows;
}

// A dialog that is neither the main window nor a key dialog.
bool IsMessageBox(HWND dialog)
{
    const std::string title = WindowText(dialog);
    return title != "Corvane v1.0" && title != "Please Input Key!";
}

HWND MessageBoxAmong(const std::vector<HWND>& dialogs, std::string* caption)
{
    for (HWND w : dialogs) {
        if (!IsMessageBox(w))
            continue;
        if (caption)
            *caption = WindowText(w);
        return w;
    }
    return NULL;
}

std::string OpenCaptions()
{
    std::string out;
    for (HWND w : ThreadDialogs())
        out += (out.empty() ? "\"" : ", \"") + WindowText(w) + "\"";
    return out;
}

} // namespace

Script& Script::Then(std::string what, std::function<bool()> ready, std::function<void()> act)
{
    steps_.push_back({std::move(what), std::move(ready), std::move(act)});
    return *this;
}

Script& Script::Do(std::string what, std::function<void()> act)
{
    return Then(std::move(what), nullptr, std::move(act));
}

Script& Script::Wait(std::string what, std::function<bool()> ready)
{
    return Then(std::move(what), std::move(ready), nullptr);
}

INT_PTR Script::RunMainWindow()
{
    if (g_timedOut) {
        failure_ = "not run: a step of an earlier test timed out";
        return -1;
    }
    g_running = this;
    next_ = 0;
    stepStarted_ = GetTickCount();
    UINT_PTR timer = SetTimer(NULL, 0, kTickMs, Tick);
    INT_PTR result = DialogBoxParamA(AppInstance, "DIALOG_0", NULL, MainDialogProc, 0);
    KillTimer(NULL, timer);
    g_running = nullptr;
    if (!aborted_ && !finished())
        failure_ = "the main window closed before step: " + steps_[next_].what;
    return result;
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_running)
        g_running->OnTick();
}

void Script::OnTick()
{
    const DWORD now = GetTickCount();
    if (aborted_) {
        if (now - closedAt_ >= kRecloseMs)
            CloseAll();
        return;
    }
    const bool late = now - stepStarted_ > kStepTimeoutMs;
    if (inTick_) {
        // A step's action opened a modal loop and has not returned.
        if (late)
            Abort("the action did not return: " + steps_[next_].what);
        return;
    }
    if (finished()) {
        if (late)
            Abort("windows still open after the last step: " + OpenCaptions());
        return;
    }
    inTick_ = true;
    // Several ready steps may run in one tick; a step that posts a command
    // is followed by a wait, which gives the dialog loop its turn.
    while (!aborted_ && next_ < steps_.size()) {
        Step& step = steps_[next_];
        if (step.ready && !step.ready()) {
            if (GetTickCount() - stepStarted_ > kStepTimeoutMs)
                Abort("timed out waiting for: " + step.what);
            break;
        }
        stepStarted_ = GetTickCount();
        if (step.act)
            step.act();
        if (aborted_)
            break;
        ++next_;
        stepStarted_ = GetTickCount();
    }
    inTick_ = false;
}

void Script::Abort(const std::string& why)
{
    aborted_ = true;
    g_timedOut = true;
    failure_ = why;
    CloseAll();
}

void Script::CloseAll()
{
    closedAt_ = GetTickCount();
    // From the innermost window out; each loop ends once it regains control.
    std::vector<HWND> open = ThreadDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        PostMessageA(*it, WM_CLOSE, 0, 0);
}

HWND FindMainWindow()
{
    for (HWND w : ThreadDialogs())
        if (WindowText(w) == "Corvane v1.0")
            return w;
    return NULL;
}

std::vector<HWND> FindKeyDialogs()
{
    std::vector<HWND> out;
    for (HWND w : ThreadDialogs())
        if (WindowText(w) == "Please Input Key!")
            out.push_back(w);
    return out;
}

HWND FindKeyDialog()
{
    std::vector<HWND> all = FindKeyDialogs();
    return all.size() == 1 ? all[0] : NULL;
}

HWND FindMessageBox(std::string* caption)
{
    return MessageBoxAmong(ThreadDialogs(), caption);
}

HWND FindMessageBoxShownOrNot()
{
    return MessageBoxAmong(ThreadDialogs(false), nullptr);
}

namespace {

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam)
{
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") == 0) {
        std::string text = WindowText(child);
        if (!text.empty())
            *reinterpret_cast<std::string*>(lParam) = text;
    }
    return TRUE;
}

} // namespace

HWND FindMessageBoxWithText(const std::string& text)
{
    for (HWND w : ThreadDialogs())
        if (IsMessageBox(w) && MessageBoxText(w) == text)
            return w;
    return NULL;
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

namespace {

BOOL CALLBACK CollectButtons(HWND child, LPARAM lParam)
{
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Button") == 0 && IsWindowVisible(child))
        *reinterpret_cast<std::string*>(lParam) += ", " + WindowText(child);
    return TRUE;
}

} // namespace

std::string MessageBoxLook(HWND box)
{
    HWND owner = GetWindow(box, GW_OWNER);
    std::string look = owner == NULL ? "unowned" : owner == FindMainWindow() ? "owned" : "owned by another";
    // The icon is the static control stc1 of the platform's template.
    HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, stc1, STM_GETICON, 0, 0));
    look += icon == NULL ? ", no icon" : icon == LoadIcon(NULL, IDI_WARNING) ? ", warning icon" : ", other icon";
    EnumChildWindows(box, CollectButtons, reinterpret_cast<LPARAM>(&look));
    return look;
}

std::string WindowText(HWND window)
{
    char buf[1024] = {};
    GetWindowTextA(window, buf, sizeof buf);
    return buf;
}

std::string ItemText(HWND dialog, int id)
{
    char buf[1024] = {};
    GetDlgItemTextA(dialog, id, buf, sizeof buf);
    return buf;
}

void Click(HWND dialog, int id)
{
    // As the button would tell its dialog: BM_CLICK may fail where the
    // dialog is not active.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostMenu(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void DismissMessageBox(HWND box)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

void SetItemTextW(HWND dialog, int id, const std::wstring& text)
{
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring ItemTextW(HWND dialog, int id)
{
    wchar_t buf[1024] = {};
    GetWindowTextW(GetDlgItem(dialog, id), buf, 1024);
    return buf;
}

UINT CodePage()
{
    const char* locale = getenv("LC_ALL");
    const std::string name = locale ? locale : "";
    const UINT cp = GetACP();
    const struct {
        const char* prefix;
        UINT cp;
    } expected[] = {{"ja_JP", 932}, {"ru_RU", 1251}, {"zh_CN", 936}, {"ko_KR", 949}, {"zh_TW", 950}, {"hi_IN", 65001}, {"fa_IR", 1256}, {"pl_PL", 1250}, {"el_GR", 1253}};
    for (const auto& e : expected)
        if (name.rfind(e.prefix, 0) == 0 && cp != e.cp)
            ADD_FAILURE() << "code page " << cp << " under LC_ALL=" << name;
    return cp;
}

std::vector<HWND> g_focused;
std::vector<HWND> g_movedOn;

static LRESULT CALLBACK RecordMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_SETFOCUS)
        g_focused.push_back(m->hwnd);
    if (code == HC_ACTION && m->message == WM_NEXTDLGCTL)
        g_movedOn.push_back(m->hwnd);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

HHOOK WatchMessages()
{
    return SetWindowsHookExA(WH_CALLWNDPROC, RecordMessages, NULL, GetCurrentThreadId());
}

void ResetAreas()
{
    memset(KeyBuffer, 0, sizeof KeyBuffer);
    memset(InputBuffer, 0, sizeof InputBuffer);
    memset(OutputBuffer, 0, sizeof OutputBuffer);
}

std::string Transformed(const std::string& key, const std::string& input, bool encrypt)
{
    unsigned char k[KEY_BUFFER_SIZE] = {};
    memcpy(k, key.data(), key.size() < 55 ? key.size() : 55);
    unsigned char in[INPUT_BUFFER_SIZE] = {};
    const size_t n = input.size() < 255 ? input.size() : 255;
    memcpy(in, input.data(), n);
    unsigned char out[OUTPUT_BUFFER_SIZE] = {};
    CryptText(out, in, k, encrypt ? CRYPT_ENCRYPT : CRYPT_DECRYPT);
    return std::string(reinterpret_cast<char*>(out), (n + 7) / 8 * 8);
}

std::string ExpectedOutput(const std::string& key, const std::string& input, bool encrypt)
{
    return Transformed(key, input, encrypt).c_str();
}

bool CouldBeATypedText(const std::string& bytes)
{
    const size_t end = bytes.find('\0');
    if (end != std::string::npos && bytes.find_first_not_of('\0', end) != std::string::npos)
        return false;
    const std::string text = bytes.substr(0, end);
    if (text.empty())
        return false;
    // What the code page makes of its characters, as GetDlgItemTextA does.
    std::wstring chars(text.size(), L'\0');
    chars.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &chars[0],
                                     static_cast<int>(chars.size())));
    std::string back(text.size() * 4, '\0');
    back.resize(WideCharToMultiByte(CP_ACP, 0, chars.data(), static_cast<int>(chars.size()), &back[0],
                                    static_cast<int>(back.size()), NULL, NULL));
    if (back != text)
        return false;
    return std::none_of(chars.begin(), chars.end(), IsInvisible);
}

bool IsInvisible(wchar_t c)
{
    return (c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n') || (c >= 0x7F && c <= 0x9F);
}
