// vantrel-host for Windows: a plain Win32 program, without Qt, that loads
// vantrel.dll as the trading programs do.
//
//   vantrel-host [--ex] [--host H --port P] --trade ID [--lib PATH] [--auto]
//                [--open N [--unload]]
//
// It makes its own top-level window and message loop, loads the library with
// LoadLibraryW, finds the exports with GetProcAddress and calls them with its
// window as the owner when "打开资金划转" is pressed. --auto calls the export
// once at once, without a window. --open N calls it N times in a row as soon
// as the window shows, then ends; with --unload the library is freed after
// each call and loaded again before the next, as a host that loads it only
// while it is in use does.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "vantrel.h"

namespace {

constexpr int kOpenButtonId = 1;
constexpr UINT kOpenNowMessage = WM_APP + 1;

struct Options {
    bool ex = false;
    bool automatic = false;
    bool unload = false;
    int openCount = 0;  // 0: wait for the button
    std::wstring host = L"127.0.0.1";
    int32_t port = 12345;
    std::wstring trade;
    std::wstring library;
};

void Usage() {
    std::fputs("usage: vantrel-host [--ex] [--host H --port P] --trade ID [--lib PATH] [--auto]\n"
               "                    [--open N [--unload]]\n"
               "  --ex         log in to a server chosen from Bank.ini (OpenVantrelEx)\n"
               "  --auto       no host window: call the export once at once and exit\n"
               "  --open N     call the export N times as soon as the window shows, then exit\n"
               "  --unload     with --open: FreeLibrary after each call, LoadLibraryW before the next\n",
               stderr);
}

std::optional<long> ReadNumber(const wchar_t* text, long low, long high) {
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    if (end == text || *end != L'\0' || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<Options> Parse(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const wchar_t* value = (i + 1 < argc) ? argv[i + 1] : nullptr;
        if (arg == L"--ex") {
            options.ex = true;
        } else if (arg == L"--auto") {
            options.automatic = true;
        } else if (arg == L"--unload") {
            options.unload = true;
        } else if (value && (arg == L"--host" || arg == L"--trade" || arg == L"--lib")) {
            (arg == L"--host" ? options.host : arg == L"--trade" ? options.trade : options.library) = value;
            ++i;
        } else if (value && arg == L"--port") {
            const auto port = ReadNumber(value, 0, 65535);
            if (!port) return std::nullopt;
            options.port = static_cast<int32_t>(*port);
            ++i;
        } else if (value && arg == L"--open") {
            const auto count = ReadNumber(value, 1, 100);
            if (!count) return std::nullopt;
            options.openCount = static_cast<int>(*count);
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (options.trade.empty()) return std::nullopt;
    if (options.automatic && options.openCount > 0) return std::nullopt;
    if (options.unload && options.openCount == 0) return std::nullopt;
    return options;
}

// The exports take GBK text, as the trading programs hold it.
std::optional<std::string> ToGbk(const std::wstring& text) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring ExecutableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    return name.substr(0, name.find_last_of(L"\\/") + 1);
}

// Where the library looks for Bank.ini: VANTREL_APP_PATH, else this
// program's own folder.
std::wstring AppPath() {
    if (const wchar_t* overridden = _wgetenv(L"VANTREL_APP_PATH"); overridden && *overridden) {
        std::wstring path = overridden;
        if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
        return path;
    }
    return ExecutableFolder();
}

void Say(const wchar_t* format, ...) {
    // UTF-8 on the standard output whatever the console's code page, so
    // that scripts can read it.
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    std::vswprintf(line, sizeof line / sizeof *line, format, args);
    va_end(args);
    char bytes[4096];
    const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (size > 0) std::fputs(bytes, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Library {
public:
    explicit Library(std::wstring path) : path_(std::move(path)) {}
    ~Library() { unload(); }

    bool load() {
        if (module_) return true;
        module_ = LoadLibraryW(path_.c_str());
        if (!module_) {
            Say(L"vantrel-host: cannot load %ls (error %lu)", path_.c_str(), GetLastError());
            return false;
        }
        // FARPROC has no parameters; through void* the cast says what is meant.
        open_ = reinterpret_cast<VantrelOpenFn>(reinterpret_cast<void*>(GetProcAddress(module_, "OpenVantrel")));
        openEx_ = reinterpret_cast<VantrelOpenExFn>(reinterpret_cast<void*>(GetProcAddress(module_, "OpenVantrelEx")));
        if (!open_ || !openEx_) {
            Say(L"vantrel-host: %ls does not export OpenVantrel and OpenVantrelEx", path_.c_str());
            unload();
            return false;
        }
        return true;
    }

    void unload() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
        open_ = nullptr;
        openEx_ = nullptr;
    }

    void call(const Options& options, const std::string& host, const std::string& trade, HWND owner) const {
        const auto handle = reinterpret_cast<uintptr_t>(owner);
        if (options.ex)
            openEx_(handle, trade.c_str());
        else
            open_(handle, host.c_str(), options.port, trade.c_str());
    }

private:
    std::wstring path_;
    HMODULE module_ = nullptr;
    VantrelOpenFn open_ = nullptr;
    VantrelOpenExFn openEx_ = nullptr;
};

struct Host {
    Options options;
    std::string hostGbk;
    std::string tradeGbk;
    Library* library = nullptr;
    int failures = 0;

    // One export call with `window` as owner; the library is (re)loaded first.
    void openOnce(HWND window, int number) {
        if (!library->load()) {
            ++failures;
            return;
        }
        Say(L"vantrel-host: call %d with owner window %p", number, static_cast<void*>(window));
        library->call(options, hostGbk, tradeGbk, window);
        Say(L"vantrel-host: call %d returned", number);
        if (options.unload) {
            library->unload();
            // Whether FreeLibrary unmapped it and Qt beneath it, or something
            // keeps them loaded.
            Say(L"vantrel-host: library freed (vantrel.dll %ls, Qt6Core.dll %ls)",
                GetModuleHandleW(L"vantrel.dll") ? L"still mapped" : L"unmapped",
                GetModuleHandleW(L"Qt6Core.dll") ? L"still mapped" : L"unmapped");
        }
    }
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        CreateWindowExW(0, L"BUTTON", L"打开资金划转", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 20, 50, 160, 30,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOpenButtonId)),
                        create->hInstance, nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kOpenButtonId && host) host->openOnce(window, 1);
        return 0;
    case kOpenNowMessage:
        for (int i = 1; host && i <= host->options.openCount; ++i) host->openOnce(window, i);
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (host) {
            const std::wstring text = L"交易商号：" + host->options.trade;
            SetBkMode(dc, TRANSPARENT);
            TextOutW(dc, 20, 16, text.c_str(), static_cast<int>(text.size()));
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int RunWindow(Host& host) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"VantrelHostWindow";
    if (!RegisterClassExW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"交易客户端", WS_OVERLAPPEDWINDOW, 40, 40, 360,
                                  140, nullptr, nullptr, instance, &host);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    Say(L"vantrel-host: window %p shown", static_cast<void*>(window));
    if (host.options.openCount > 0) PostMessageW(window, kOpenNowMessage, 0, 0);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return host.failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const auto options = Parse(argc, argv);
    if (!options) {
        Usage();
        return 2;
    }
    Host host;
    host.options = *options;
    const auto trade = ToGbk(options->trade);
    const auto server = ToGbk(options->host);
    if (!trade || !server) {
        Say(L"vantrel-host: the trade number and the host must be GBK text");
        return 2;
    }
    host.tradeGbk = *trade;
    host.hostGbk = *server;
    const std::wstring appPath = AppPath();
    if (GetFileAttributesW((appPath + L"Bank.ini").c_str()) == INVALID_FILE_ATTRIBUTES)
        Say(L"vantrel-host: no Bank.ini in %ls", appPath.c_str());

    Library library(options->library.empty() ? ExecutableFolder() + L"vantrel.dll" : options->library);
    host.library = &library;
    if (options->automatic) {
        host.openOnce(nullptr, 1);
        return host.failures == 0 ? 0 : 1;
    }
    // The library stays loaded until the host ends, unless --unload.
    if (!library.load()) return 1;
    return RunWindow(host);
}
