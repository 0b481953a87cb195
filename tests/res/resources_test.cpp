// The templates and the menu as they stand in the built Corvex.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

// Corvex.exe sits in the build folder, the tests' working directory.
const char kExe[] = "Corvex.exe";

struct Item {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    std::string cls; // lower case; a predefined class's atom as its name
    std::string text;
};

struct Template {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::string menu, cls, caption;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD Word()
    {
        WORD w;
        memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD d;
        memcpy(&d, p_, 4);
        p_ += 4;
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    // Style, extended style and the rectangle, as header and items start.
    void Frame(DWORD& style, DWORD& exStyle, short& x, short& y, short& cx, short& cy, WORD* count = nullptr)
    {
        style = Dword();
        exStyle = Dword();
        if (count)
            *count = Word();
        x = Short();
        y = Short();
        cx = Short();
        cy = Short();
    }
    // A name or ordinal field: 0, 0xFFFF and an ordinal, or a string.
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return "";
        if (first == 0xFFFF) {
            char buf[16];
            snprintf(buf, sizeof buf, "#0x%04X", Word());
            return buf;
        }
        std::string s;
        for (WORD c = first; c != 0; c = Word())
            s += static_cast<char>(c < 0x100 ? c : '?');
        return s;
    }
    void AlignDword(const BYTE* base)
    {
        while ((p_ - base) % 4 != 0)
            ++p_;
    }

private:
    const BYTE* p_;
};

class Module {
public:
    Module() { module_ = LoadLibraryExA(kExe, NULL, LOAD_LIBRARY_AS_DATAFILE); }
    ~Module()
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }
    const BYTE* Resource(const char* name, LPCSTR type, DWORD* size = nullptr) const
    {
        HRSRC r = FindResourceA(module_, name, type);
        if (!r)
            return nullptr;
        if (size)
            *size = SizeofResource(module_, r);
        return static_cast<const BYTE*>(LockResource(LoadResource(module_, r)));
    }

private:
    HMODULE module_ = NULL;
};

// A predefined control class may be stored as its atom or as its name;
// the dialog manager creates the same control from either.
std::string ClassName(const std::string& stored)
{
    if (stored == "#0x0080")
        return "button";
    if (stored == "#0x0081")
        return "edit";
    if (stored == "#0x0082")
        return "static";
    std::string lower;
    for (char c : stored)
        lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower;
}

Template ReadTemplate(const BYTE* base)
{
    Reader r(base);
    Template t;
    WORD count = 0;
    r.Frame(t.style, t.exStyle, t.x, t.y, t.cx, t.cy, &count);
    t.menu = r.NameOrOrdinal();
    t.cls = r.NameOrOrdinal();
    t.caption = r.NameOrOrdinal();
    // No DS_SETFONT, so no font fields.
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        Item it;
        r.Frame(it.style, it.exStyle, it.x, it.y, it.cx, it.cy);
        it.id = r.Word();
        it.cls = ClassName(r.NameOrOrdinal());
        it.text = r.NameOrOrdinal();
        WORD extra = r.Word();
        EXPECT_EQ(extra, 0) << "item " << i << " carries creation data";
        t.items.push_back(it);
    }
    return t;
}

const std::string kButton = "button";
const std::string kEdit = "edit";
const std::string kStatic = "static";

void ExpectItem(const Item& got, WORD id, const std::string& cls, const std::string& text, DWORD style,
                short x, short y, short cx, short cy)
{
    SCOPED_TRACE("control " + std::to_string(id));
    EXPECT_EQ(got.id, id);
    EXPECT_EQ(got.cls, cls);
    EXPECT_EQ(got.text, text);
    EXPECT_EQ(got.style, style) << std::hex << "got 0x" << got.style << " want 0x" << style;
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ(got.x, x);
    EXPECT_EQ(got.y, y);
    EXPECT_EQ(got.cx, cx);
    EXPECT_EQ(got.cy, cy);
}

TEST(Resources, MainWindowTemplate)
{
    Module m;
    ASSERT_NE(m.get(), (HMODULE)NULL) << "cannot load " << kExe;
    const BYTE* p = m.Resource("DIALOG_0", RT_DIALOG);
    ASSERT_NE(p, nullptr);
    Template t = ReadTemplate(p);
    EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_CENTER | DS_3DLOOK))
        << std::hex << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 200);
    EXPECT_EQ(t.cy, 150);
    EXPECT_EQ(t.menu, "#0x03E8"); // 1000
    EXPECT_EQ(t.cls, "");
    EXPECT_EQ(t.caption, "Corvane v1.0");
    ASSERT_EQ(t.items.size(), 7u);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD group = child | BS_GROUPBOX;
    const DWORD button = child | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
    const DWORD edit = child | WS_BORDER | WS_TABSTOP | ES_MULTILINE;
    ExpectItem(t.items[0], IDC_INPUT_GROUP, kButton, " Input String ", group, 10, 5, 180, 60);
    ExpectItem(t.items[1], IDC_ENCRYPT, kButton, "Encrypt", button, 30, 128, 50, 10);
    ExpectItem(t.items[2], IDC_DECRYPT, kButton, "Decrypt", button, 115, 128, 50, 10);
    ExpectItem(t.items[3], IDC_OUTPUT_GROUP, kButton, " Output String ", group, 10, 65, 180, 60);
    ExpectItem(t.items[4], IDC_STATUSBAR, "msctls_statusbar32",
               "Enjoy It!" + std::string(22, ' ') + "=>" + std::string(8, ' ') + CORVANE_CONTACT " ", child, 0,
               140, 200, 8);
    ExpectItem(t.items[5], IDC_INPUT, kEdit, "", edit, 18, 15, 164, 45);
    ExpectItem(t.items[6], IDC_OUTPUT, kEdit, "", edit | ES_READONLY, 18, 75, 164, 45);
}

TEST(Resources, KeyDialogTemplate)
{
    Module m;
    ASSERT_NE(m.get(), (HMODULE)NULL) << "cannot load " << kExe;
    const BYTE* p = m.Resource("DIALOG_1", RT_DIALOG);
    ASSERT_NE(p, nullptr);
    Template t = ReadTemplate(p);
    EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_CENTER)) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 100);
    EXPECT_EQ(t.cy, 30);
    EXPECT_EQ(t.menu, "");
    EXPECT_EQ(t.cls, "");
    EXPECT_EQ(t.caption, "Please Input Key!");
    ASSERT_EQ(t.items.size(), 3u);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    ExpectItem(t.items[0], IDC_KEY, kEdit, "", child | WS_BORDER | WS_TABSTOP | ES_LEFT, 8, 5, 84, 10);
    ExpectItem(t.items[1], IDOK, kButton, "OK", child | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER | BS_VCENTER, 70,
               20, 15, 8);
    ExpectItem(t.items[2], IDC_KEY_HINT, kStatic, "K>=4", child | WS_GROUP | SS_LEFT | SS_NOPREFIX, 10, 20, 16, 8);
}

struct MenuEntry {
    std::string text; // "-" for a separator
    UINT id;          // the command, or -1 for a pop-up
};

std::vector<MenuEntry> Entries(HMENU menu)
{
    std::vector<MenuEntry> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
        if (info.fType & MFT_SEPARATOR)
            out.push_back({"-", 0});
        else
            out.push_back({text, info.hSubMenu ? UINT(-1) : info.wID});
    }
    return out;
}

void ExpectEntries(HMENU menu, const std::vector<MenuEntry>& want)
{
    std::vector<MenuEntry> got = Entries(menu);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].text, want[i].text) << "entry " << i;
        EXPECT_EQ(got[i].id, want[i].id) << "entry " << i;
    }
}

TEST(Resources, MainMenu)
{
    Module m;
    ASSERT_NE(m.get(), (HMODULE)NULL) << "cannot load " << kExe;
    HMENU bar = LoadMenuA(m.get(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(bar, (HMENU)NULL);
    ExpectEntries(bar, {{"&Action", UINT(-1)}, {"&Key", UINT(-1)}, {"&About", IDM_ABOUT}});
    ExpectEntries(GetSubMenu(bar, 0), {{"&Encrypt", IDM_ENCRYPT},
                                       {"&Decrypt", IDM_DECRYPT},
                                       {"-", 0},
                                       {"&Clear", IDM_CLEAR},
                                       {"-", 0},
                                       {"E&xit", IDM_EXIT}});
    ExpectEntries(GetSubMenu(bar, 1), {{"De&fault Key", IDM_DEFAULT_KEY}, {"&Input Key", IDM_INPUT_KEY}});
    DestroyMenu(bar);
}

// The test executable carries the same resources; its copy is what the
// dialog tests run on.
TEST(Resources, TestExecutableCarriesTheSameTemplates)
{
    Module m;
    ASSERT_NE(m.get(), (HMODULE)NULL) << "cannot load " << kExe;
    const HMODULE self = GetModuleHandleA(NULL);
    for (const char* name : {"DIALOG_0", "DIALOG_1"}) {
        DWORD size = 0;
        const BYTE* there = m.Resource(name, RT_DIALOG, &size);
        ASSERT_NE(there, nullptr) << name;
        HRSRC r = FindResourceA(self, name, RT_DIALOG);
        ASSERT_NE(r, (HRSRC)NULL) << name;
        ASSERT_EQ(SizeofResource(self, r), size) << name;
        const void* here = LockResource(LoadResource(self, r));
        EXPECT_EQ(memcmp(here, there, size), 0) << name;
    }
}

} // namespace
