// Drives the real dialogs on this thread: a thread timer (which every
// nested modal loop dispatches) walks a script of steps, each waiting for a
// condition and then acting. Commands that open a nested loop are posted, so
// the timer callback itself never nests; if a faulty program makes it nest
// anyway, the nested ticks still time the step out.
#ifndef CORVANE_TESTS_UI_DRIVER_H
#define CORVANE_TESTS_UI_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct Step {
    std::string what;
    std::function<bool()> ready; // null: ready at once
    std::function<void()> act;
};

class Script {
public:
    Script& Then(std::string what, std::function<bool()> ready, std::function<void()> act);
    Script& Do(std::string what, std::function<void()> act);
    Script& Wait(std::string what, std::function<bool()> ready);

    // Runs the main window with this script; returns DialogBoxParamA's result.
    // When a step times out, or windows stay open after the last step, every
    // open window is closed (again each second, whatever opens next) and the
    // step is reported through the failure text. After such a time-out, no
    // later script runs: each fails at once, saying so.
    INT_PTR RunMainWindow();
    const std::string& failure() const { return failure_; }
    bool finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void Abort(const std::string& why);
    void CloseAll();

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD stepStarted_ = 0;
    DWORD closedAt_ = 0;
    bool inTick_ = false;
    bool aborted_ = false;
    std::string failure_;
};

// Windows of this thread.
HWND FindMainWindow();
std::vector<HWND> FindKeyDialogs();
HWND FindKeyDialog(); // the one key dialog, if exactly one is open
// A message box: a visible dialog that is neither the main window nor a key
// dialog; caption is filled in.
HWND FindMessageBox(std::string* caption = nullptr);
// A message box that may not be shown yet: its dialog loop shows it only
// once the queue is empty, and a timer tick may come first.
HWND FindMessageBoxShownOrNot();
// The message box showing exactly this text, if one is open.
HWND FindMessageBoxWithText(const std::string& text);
std::string MessageBoxText(HWND box);
// How a message box looks, e.g. "owned, warning icon, OK": whether the main
// window owns it, its icon (none, warning or other), its buttons' texts.
std::string MessageBoxLook(HWND box);
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);

// Actions. Click posts BM_CLICK to a button, as a mouse click would.
void Click(HWND dialog, int id);
void PostMenu(HWND dialog, int id);
void DismissMessageBox(HWND box);
void SetItemText(HWND dialog, int id, const std::string& text);
// As a Unicode paste arrives: the fields hold wide characters.
void SetItemTextW(HWND dialog, int id, const std::wstring& text);
std::wstring ItemTextW(HWND dialog, int id);

// The ANSI code page, checked against the locale that Wine takes it from:
// a Japanese one gives 932, a Russian one 1251, a Hindi one UTF-8 (65001).
UINT CodePage();

// What a hook on this thread's sent messages saw: each window that got the
// focus, in order, and each dialog sent WM_NEXTDLGCTL to move it on. The
// focus leaves this thread whenever another process's window is activated,
// and an activation of a dialog gives it back to the control that had it.
extern std::vector<HWND> g_focused;
extern std::vector<HWND> g_movedOn;
HHOOK WatchMessages();

// Resets the process-wide areas to their state at program start.
void ResetAreas();

// The cipher engine's own result, for comparison: every byte it writes for
// the input's first 255 bytes, and the text as the main window would show
// them, or the empty string.
std::string Transformed(const std::string& key, const std::string& input, bool encrypt);
std::string ExpectedOutput(const std::string& key, const std::string& input, bool encrypt);

// A control character other than tab, CR and LF: seen as nothing, or as a
// box, and typed by no keyboard.
bool IsInvisible(wchar_t c);

// Whether a result of Decrypt, all its bytes, could be a text that someone
// typed: no byte but zero bytes after a zero byte, and before it what the
// code page makes of some characters, none a control character but tab,
// CR and LF.
bool CouldBeATypedText(const std::string& bytes);

#endif
