// Looks at the program's main window from outside, as the desktop tests under Wine
// need: its class, title, state and sizes, the tray icon, hit-testing, and the
// messages a user's actions send it. Prints one JSON line.
//   window_probe info | tray | notice | hittest DX DY | close | command ID | show-request
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

void print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"info";
    HWND window = FindWindowW(L"QuillvardenMainWindow", nullptr);
    if (command == L"show-request") {
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"QuillvardenShowWindowMessage_v1"), 0, 0);
        print("{\"posted\":true}");
        return 0;
    }
    if (!window) {
        print("{\"found\":false}");
        return 1;
    }
    if (command == L"info") {
        wchar_t className[256] = {};
        wchar_t title[256] = {};
        GetClassNameW(window, className, 256);
        GetWindowTextW(window, title, 256);
        RECT rect{};
        GetWindowRect(window, &rect);
        MINMAXINFO limits{};
        SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        char line[1024];
        std::snprintf(line, sizeof line,
                      "{\"found\":true,\"className\":%s,\"title\":%s,\"visible\":%s,\"iconic\":%s,\"zoomed\":%s,"
                      "\"left\":%ld,\"top\":%ld,\"width\":%ld,\"height\":%ld,\"minWidth\":%ld,\"minHeight\":%ld}",
                      quoted(utf8(className)).c_str(), quoted(utf8(title)).c_str(),
                      IsWindowVisible(window) ? "true" : "false", IsIconic(window) ? "true" : "false",
                      IsZoomed(window) ? "true" : "false", rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y);
        print(line);
    } else if (command == L"tray") {
        // Changing the tip of an icon succeeds only when the icon is there.
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = 1;
        data.uFlags = NIF_TIP;
        wcscpy(data.szTip, L"羽岚 Quillvarden — 离线杀毒防护");
        print(Shell_NotifyIconW(NIM_MODIFY, &data) ? "{\"tray\":true}" : "{\"tray\":false}");
    } else if (command == L"hittest" && argc > 3) {
        RECT rect{};
        GetWindowRect(window, &rect);
        const int x = rect.left + _wtoi(argv[2]);
        const int y = rect.top + _wtoi(argv[3]);
        const LRESULT zone = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        print("{\"hit\":" + std::to_string(zone) + "}");
    } else if (command == L"notice") {
        // The line that stands in for the browser when there is no runtime.
        HWND edit = FindWindowExW(window, nullptr, L"EDIT", nullptr);
        if (!edit) {
            print("{\"noticeMissing\":true}");
            return 1;
        }
        wchar_t text[1024] = {};
        // Asked of the control itself: the system copies the text across processes.
        SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        print("{\"notice\":" + quoted(utf8(text)) + "}");
    } else if (command == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        print("{\"posted\":true}");
    } else if (command == L"command" && argc > 2) {
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        print("{\"posted\":true}");
    } else {
        print("{\"error\":\"unknown command\"}");
        return 2;
    }
    return 0;
}
