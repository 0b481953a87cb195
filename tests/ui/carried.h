// A cipher text as the measured ways of mail and chat carry it: each line
// break as CR LF, as a copy on Windows writes what came as a CR, an LF or
// both; each no-break space as a space; the spaces and line breaks at its
// ends trimmed. Shared by the Wine suite and the detection bench.
#ifndef CORVANE_TESTS_UI_CARRIED_H
#define CORVANE_TESTS_UI_CARRIED_H

#include <string>

inline std::wstring Carried(const std::wstring& shown)
{
    std::wstring out;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == L'\r' && i + 1 < shown.size() && shown[i + 1] == L'\n')
            continue;
        out += shown[i] == L'\r' || shown[i] == L'\n' ? L"\r\n" : std::wstring(1, shown[i] == 0xA0 ? L' ' : shown[i]);
    }
    const size_t first = out.find_first_not_of(L" \t\r\n");
    return first == std::wstring::npos ? L"" : out.substr(first, out.find_last_not_of(L" \t\r\n") + 1 - first);
}

#endif
