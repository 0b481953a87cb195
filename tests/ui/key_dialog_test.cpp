// The key entry dialog, opened from the main window as a user would.
#include <gtest/gtest.h>

#include <string.h>

#include "app_state.h"
#include "driver.h"
#include "resource.h"

namespace {

std::string Key()
{
    return std::string(reinterpret_cast<char*>(KeyBuffer));
}

// Runs the main window: opens the key dialog through "&Input Key", lets
// body act on it, and waits for it to close.
std::string RunInputKey(const std::function<void(HWND)>& body, std::string* fieldAtOpen = nullptr)
{
    HWND main = NULL;
    Script s;
    s.Wait("main window", [&] { return (main = FindMainWindow()) != NULL; });
    s.Do("choose Input Key", [&] { PostMenu(main, IDM_INPUT_KEY); });
    s.Wait("the key dialog", [] { return FindKeyDialog() != NULL; });
    s.Do("act on it", [&] {
        HWND dlg = FindKeyDialog();
        if (fieldAtOpen)
            *fieldAtOpen = ItemText(dlg, IDC_KEY);
        body(dlg);
    });
    s.Wait("the key dialog to close", [] { return FindKeyDialogs().empty(); });
    s.Do("close the main window", [&] { PostMessageA(main, WM_CLOSE, 0, 0); });
    INT_PTR result = s.RunMainWindow();
    EXPECT_EQ(result, 0);
    return s.failure();
}

// Types a key into the field and clicks OK.
std::function<void(HWND)> TypeAndOk(const std::string& key)
{
    return [key](HWND dlg) {
        SetItemText(dlg, IDC_KEY, key);
        Click(dlg, IDOK);
    };
}

class KeyDialog : public ::testing::Test {
protected:
    void SetUp() override { ResetAreas(); }
};

TEST_F(KeyDialog, OkSetsTheKey)
{
    EXPECT_EQ(RunInputKey(TypeAndOk("secret key")), "");
    EXPECT_EQ(Key(), "secret key");
}

TEST_F(KeyDialog, EnterConfirmsLikeOk)
{
    EXPECT_EQ(RunInputKey([](HWND dlg) {
                  HWND field = GetDlgItem(dlg, IDC_KEY);
                  SetItemText(dlg, IDC_KEY, "enter key");
                  // Through the dialog manager: Enter in the field goes to
                  // the default button.
                  PostMessageA(field, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                  PostMessageA(field, WM_KEYUP, VK_RETURN, 0xC01C0001);
              }),
              "");
    EXPECT_EQ(Key(), "enter key");
}

// The last of a dialog's windows to get the focus is where keys go while
// that dialog is in front, whichever process is in front now.
HWND LastFocusedIn(HWND dialog)
{
    for (auto it = g_focused.rbegin(); it != g_focused.rend(); ++it)
        if (*it == dialog || IsChild(dialog, *it))
            return *it;
    return NULL;
}

TEST_F(KeyDialog, KeyTypedAsItOpensReachesTheKey)
{
    // Keys go where the focus is, as a keyboard's would: the dialog must
    // open with the focus in its field. Enter then confirms.
    g_focused.clear();
    HHOOK hook = WatchMessages();
    ASSERT_NE(hook, (HHOOK)NULL);
    int focusedId = -1;
    const std::string failure = RunInputKey([&](HWND dlg) {
        HWND focused = LastFocusedIn(dlg);
        focusedId = focused ? GetDlgCtrlID(focused) : -1;
        for (char c : std::string("typed"))
            PostMessageA(focused, WM_CHAR, static_cast<unsigned char>(c), 1);
        PostMessageA(focused, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    });
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(focusedId, IDC_KEY);
    EXPECT_EQ(Key(), "typed");
}

TEST_F(KeyDialog, OpensEmptyWhateverTheKey)
{
    std::string first, second;
    EXPECT_EQ(RunInputKey(
                  [](HWND dlg) {
                      SetItemText(dlg, IDC_KEY, "first key");
                      Click(dlg, IDOK);
                  },
                  &first),
              "");
    EXPECT_EQ(RunInputKey([](HWND dlg) { Click(dlg, IDOK); }, &second), "");
    EXPECT_EQ(first, "");
    EXPECT_EQ(second, "");
    // Confirming the empty field empties the key.
    EXPECT_EQ(Key(), "");
}

TEST_F(KeyDialog, LongTextIsCutTo55Bytes)
{
    std::string longKey;
    for (int i = 0; i < 80; ++i)
        longKey += static_cast<char>('a' + i % 26);
    EXPECT_EQ(RunInputKey([&](HWND dlg) {
                  SetItemText(dlg, IDC_KEY, longKey);
                  Click(dlg, IDOK);
              }),
              "");
    EXPECT_EQ(Key(), longKey.substr(0, 55));
    EXPECT_EQ(KeyBuffer[55], 0);
}

TEST_F(KeyDialog, ShorterKeyLeavesTheOldTailUnread)
{
    EXPECT_EQ(RunInputKey(TypeAndOk("a much longer first key")), "");
    EXPECT_EQ(RunInputKey(TypeAndOk("short")), "");
    EXPECT_EQ(Key(), "short");
}

TEST_F(KeyDialog, CloseWithoutOkKeepsTheKey)
{
    EXPECT_EQ(RunInputKey(TypeAndOk("kept key")), "");
    EXPECT_EQ(RunInputKey([](HWND dlg) {
                  SetItemText(dlg, IDC_KEY, "discarded");
                  // Escape has no cancel button to press; a close ends it.
                  PostMessageA(GetDlgItem(dlg, IDC_KEY), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                  PostMessageA(dlg, WM_CLOSE, 0, 0);
              }),
              "");
    EXPECT_EQ(Key(), "kept key");
}

TEST_F(KeyDialog, OtherCommandsAreIgnored)
{
    EXPECT_EQ(RunInputKey([](HWND dlg) {
                  SetItemText(dlg, IDC_KEY, "not taken");
                  // The hint's id, a non-click notification, and OK without
                  // a control handle: none of them confirms.
                  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_KEY_HINT, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_KEY_HINT)));
                  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
                  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                  EXPECT_NE(FindKeyDialog(), (HWND)NULL);
                  EXPECT_EQ(Key(), "");
                  PostMessageA(dlg, WM_CLOSE, 0, 0);
              }),
              "");
    EXPECT_EQ(Key(), "");
}

// "ключ" as a Unicode paste puts it into the field. Code pages 1251, 932
// and 949 hold it; 1252 and 1256 make it "????", the same key as every
// four-letter Cyrillic one. A key with DEL, which Ctrl+Backspace types on
// Windows, or a pasted tab, cannot be typed again in any code page; nor, as
// it looks, one with a space at an end, or a character that only looks
// like a space or is not seen, where the code page holds it. Such a key is
// used only if the user says so, and by default is not. A space inside a
// key is taken at once (OkSetsTheKey), and so are the joiners that Persian
// and Indic spelling and emoji hold.
TEST_F(KeyDialog, KeyOutsideTheCodePageOrInvisibleIsUsedOnlyWhenChosen)
{
    const std::wstring cyrillic = L"\x043A\x043B\x044E\x0447";
    const UINT cp = CodePage();
    ASSERT_TRUE(cp == 1252 || cp == 1251 || cp == 1256 || cp == 932 || cp == 949 || cp == CP_UTF8) << "code page " << cp;
    const std::string useItAnyway = "\r\n\r\nUse it anyway? Choose No to type another key.";
    const std::string invisible =
        "This key has invisible characters, typed by Ctrl+Backspace or pasted, so you could not type it again." + useItAnyway;
    const std::string unseen = "This key has a space at its start or end, or a character that only looks like a space "
                               "or cannot be seen, so you could not type it again as it looks." +
                               useItAnyway;
    struct Asked {
        std::wstring key;
        std::string question, used;
    };
    std::vector<Asked> asked = {{L"key\x007F", invisible, "key\x7F"},
                                {L"tab\tkey", invisible, "tab\tkey"},
                                {L" lead", unseen, " lead"},
                                {L"trail ", unseen, "trail "}};
    // The ideographic space at an end where the code page holds it; the
    // no-break space, soft hyphen and Hangul filler where it does; zero-width,
    // direction and typographic spaces, the other Hangul fillers and the
    // byte order mark under UTF-8.
    std::vector<std::wstring> unseenHeld;
    if (cp == 932 || cp == 949 || cp == CP_UTF8)
        unseenHeld = {L"\x3000lead", L"trail\x3000"};
    if (cp == CP_UTF8) // a musical beam control, outside the 16-bit range
        unseenHeld.push_back(L"key\xD834\xDD73key");
    const std::wstring heldChars = cp == 932 ? L""
                                   : cp == 949 ? L"\x00AD\x3164"
                                   : cp == CP_UTF8 ? L"\x00A0\x00AD\x3164\x200B\x200E\x202F\x2060\x2066\xFEFF\x115F\x1160\xFFA0"
                                                   : L"\x00A0\x00AD";
    for (wchar_t c : heldChars)
        unseenHeld.push_back(std::wstring(L"key") + c + L"key");
    // Joiners that join nothing, at an end or side by side, where the code
    // page holds them; under UTF-8, the Mongolian vowel separator, a tag,
    // and selectors that select nothing, at the start or after a space.
    if (cp == 1256 || cp == CP_UTF8)
        for (const wchar_t* key : {L"\x200C" L"key", L"key\x200D", L"\x0644\x200C\x200C\x0627"})
            unseenHeld.push_back(key);
    if (cp == CP_UTF8)
        for (const wchar_t* key : {L"key\x180E" L"key", L"key\xDB40\xDC41", L"\xFE0F" L"key", L"a \xFE0F" L"key"})
            unseenHeld.push_back(key);
    for (const std::wstring& key : unseenHeld) {
        char used[24] = {};
        WideCharToMultiByte(CP_ACP, 0, key.c_str(), -1, used, sizeof used, NULL, NULL);
        asked.push_back({key, unseen, used});
    }
    // Taken at once, as any key, in the code page's bytes.
    std::vector<std::pair<std::wstring, std::string>> taken;
    if (cp == 1252 || cp == 1256)
        asked.push_back({cyrillic,
                         "This Windows cannot use some characters of this key, so it would be used as:\r\n\r\n????" +
                             useItAnyway,
                         "????"});
    else
        taken.push_back({cyrillic, cp == 1251  ? "\xEA\xEB\xFE\xF7"
                                   : cp == 932 ? "\x84\x7B\x84\x7C\x84\x90\x84\x89"
                                   : cp == 949 ? "\xAC\xDC\xAC\xDD\xAC\xF0\xAC\xE9"
                                               : "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87"});
    // "نامه‌ها-12", with the non-joiner that Shift+Space types on a Persian
    // keyboard, and a joiner; under UTF-8, a Devanagari conjunct and the
    // emoji "woman technologist" with their joiners, and a red heart with
    // the selector that shows it as an emoji.
    if (cp == 1256) {
        taken.push_back({L"\x0646\x0627\x0645\x0647\x200C\x0647\x0627-12", "\xE4\xC7\xE3\xE5\x9D\xE5\xC7-12"});
        taken.push_back({L"\x0644\x200D\x0627key", "\xE1\x9E\xC7key"});
    } else if (cp == CP_UTF8) {
        taken.push_back({L"\x0915\x094D\x200D\x0937 key", "\xE0\xA4\x95\xE0\xA5\x8D\xE2\x80\x8D\xE0\xA4\xB7 key"});
        taken.push_back({L"\xD83D\xDC69\x200D\xD83D\xDCBB\x200C\x2764\xFE0F",
                         "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB\xE2\x80\x8C\xE2\x9D\xA4\xEF\xB8\x8F"});
    }
    for (const auto& [key, used] : taken) {
        EXPECT_EQ(RunInputKey([&](HWND dlg) {
                      SetItemTextW(dlg, IDC_KEY, key);
                      Click(dlg, IDOK);
                  }),
                  "");
        EXPECT_EQ(Key(), used);
    }
    for (const Asked& a : asked) {
        EXPECT_EQ(RunInputKey(TypeAndOk("old key")), "");
        HWND main = NULL, dlg = NULL, box = NULL;
        std::string text, look, keyAfterNo;
        std::wstring fieldAfterNo;
        Script s;
        s.Wait("main window", [&] { return (main = FindMainWindow()) != NULL; });
        s.Do("choose Input Key", [&] { PostMenu(main, IDM_INPUT_KEY); });
        s.Wait("the key dialog", [&] { return (dlg = FindKeyDialog()) != NULL; });
        for (int answer : {IDNO, IDYES}) {
            s.Do("paste the key and click OK", [&] {
                SetItemTextW(dlg, IDC_KEY, a.key);
                Click(dlg, IDOK);
            });
            s.Wait("the question", [&] { return (box = FindMessageBox()) != NULL; });
            s.Do("answer it", [&, answer] {
                text = MessageBoxText(box);
                // The buttons' texts are the system's language's.
                look = MessageBoxLook(box);
                look = look.substr(0, look.find(", ", look.find("icon"))) +
                       (GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) ? ", Yes, No" : ", other buttons") +
                       (GetWindow(box, GW_OWNER) == dlg ? ", by the key dialog" : "");
                if (answer == IDNO) // Enter takes the default
                    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                else
                    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
            });
            s.Wait("the question to close", [] { return FindMessageBox() == NULL; });
            if (answer == IDNO) {
                s.Do("the dialog is still open", [&] {
                    EXPECT_EQ(FindKeyDialog(), dlg);
                    EXPECT_EQ(text, a.question);
                    EXPECT_EQ(look, "owned by another, warning icon, Yes, No, by the key dialog");
                    keyAfterNo = Key();
                    fieldAfterNo = ItemTextW(dlg, IDC_KEY);
                });
            }
        }
        s.Wait("the key dialog to close", [] { return FindKeyDialogs().empty(); });
        s.Do("close the main window", [&] { PostMessageA(main, WM_CLOSE, 0, 0); });
        EXPECT_EQ(s.RunMainWindow(), 0);
        EXPECT_EQ(s.failure(), "");
        EXPECT_EQ(keyAfterNo, "old key");
        EXPECT_TRUE(fieldAfterNo == a.key);
        // Chosen, it is the key earlier versions made of it.
        EXPECT_EQ(text, a.question);
        EXPECT_EQ(Key(), a.used);
    }
}

TEST_F(KeyDialog, TwoOpenAtOnceTheLastConfirmedWins)
{
    const std::string text = "two dialogs, two keys";
    HWND main = NULL;
    HWND first = NULL;
    HWND second = NULL;
    std::vector<std::string> outputs;
    Script s;
    s.Wait("main window", [&] { return (main = FindMainWindow()) != NULL; });
    s.Do("type the text and click Encrypt", [&] {
        SetItemText(main, IDC_INPUT, text);
        Click(main, IDC_ENCRYPT);
    });
    s.Wait("the first key dialog", [&] { return (first = FindKeyDialog()) != NULL; });
    s.Do("click Encrypt again", [&] { Click(main, IDC_ENCRYPT); });
    s.Wait("the second key dialog", [&] {
        for (HWND w : FindKeyDialogs())
            if (w != first)
                second = w;
        return second != NULL;
    });
    s.Do("confirm the second with key B", [&] {
        SetItemText(second, IDC_KEY, "key B key B");
        Click(second, IDOK);
    });
    s.Wait("the second to close", [&] { return FindKeyDialogs().size() == 1; });
    s.Wait("the second command's output", [&] { return !ItemText(main, IDC_OUTPUT).empty(); });
    s.Do("read it", [&] { outputs.push_back(ItemText(main, IDC_OUTPUT)); });
    s.Do("confirm the first with key A", [&] {
        SetItemText(first, IDC_KEY, "key A");
        Click(first, IDOK);
    });
    s.Wait("the first to close", [&] { return FindKeyDialogs().empty(); });
    s.Wait("the first command's output", [&] { return ItemText(main, IDC_OUTPUT) != outputs[0]; });
    s.Do("read it", [&] { outputs.push_back(ItemText(main, IDC_OUTPUT)); });
    s.Do("close the main window", [&] { PostMessageA(main, WM_CLOSE, 0, 0); });
    INT_PTR result = s.RunMainWindow();
    EXPECT_EQ(s.failure(), "");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0], ExpectedOutput("key B key B", text, true));
    EXPECT_EQ(outputs[1], ExpectedOutput("key A", text, true));
    EXPECT_EQ(Key(), "key A");
}

} // namespace
