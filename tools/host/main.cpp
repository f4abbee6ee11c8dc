// vantrel-host: a stand-in for the trading program that loads the library.
//
//   vantrel-host [--ex] [--host H --port P] --trade ID [--lib PATH] [--auto]
//                [--screenshot FILE | --walkthrough DIR]
//
// Loads the library at run time, resolves the export by name and calls it
// with its own window as the owner. With --auto it makes no window and no
// QApplication of its own, like a host that is not a Qt program, and calls
// the export at once. Built as vantrel-walkthrough (a test tool, not
// shipped), it also takes --walkthrough: it calls the export at once and a
// script drives the library's windows (tests/gui/host/Walkthrough.h).
#include <QApplication>
#include <QTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#ifdef VANTREL_WALKTHROUGH
#include "Walkthrough.h"
#endif
#include "common/TextCodec.h"
#include "vantrel.h"

namespace {

struct Options {
    bool ex = false;
    bool automatic = false;
    std::string host = "127.0.0.1";
    int32_t port = 12345;
    std::string trade;  // UTF-8
    std::string library;
    std::string screenshot;  // open at once, save the dialog's picture, close
    std::string walkthrough;  // open at once and run the scripted walk-through
};

#ifdef VANTREL_WALKTHROUGH
constexpr bool kWalkthrough = true;
#else
constexpr bool kWalkthrough = false;
#endif

void Usage() {
    std::fprintf(stderr,
                 "usage: vantrel-host [--ex] [--host H --port P] --trade ID [--lib PATH] [--auto]\n"
                 "                    [--screenshot FILE%s]\n"
                 "  --ex      log in to a server chosen from Bank.ini (OpenVantrelEx)\n"
                 "  --auto    no host window: call the export at once and exit\n"
                 "  --screenshot FILE  open the dialog at once, save its picture, close it\n",
                 kWalkthrough ? " | --walkthrough DIR" : "");
    if (kWalkthrough)
        std::fprintf(stderr,
                     "  --walkthrough DIR  open the dialog at once and walk through a deposit of\n"
                     "                     100.00 (password 123456, bank 005), pictures in DIR;\n"
                     "                     exit status 1 when a step does not happen\n");
}

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--ex") {
            options.ex = true;
        } else if (arg == "--auto") {
            options.automatic = true;
        } else if (arg == "--host" || arg == "--port" || arg == "--trade" || arg == "--lib" ||
                   arg == "--screenshot" || (kWalkthrough && arg == "--walkthrough")) {
            const char* text = value();
            if (!text) return std::nullopt;
            if (arg == "--host") options.host = text;
            if (arg == "--trade") options.trade = text;
            if (arg == "--lib") options.library = text;
            if (arg == "--screenshot") options.screenshot = text;
            if (arg == "--walkthrough") options.walkthrough = text;
            if (arg == "--port") {
                char* end = nullptr;
                const long port = std::strtol(text, &end, 10);
                if (*end != '\0' || port < 0 || port > 65535) return std::nullopt;
                options.port = static_cast<int32_t>(port);
            }
        } else {
            return std::nullopt;
        }
    }
    if (options.trade.empty()) return std::nullopt;
    // Each of these decides how the export is called: one at a time.
    const int exclusive = int(options.automatic) + int(!options.screenshot.empty()) + int(!options.walkthrough.empty());
    if (exclusive > 1) return std::nullopt;
    return options;
}

std::filesystem::path ExecutableFolder() {
#ifdef _WIN32
    wchar_t name[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    return std::filesystem::path(std::wstring(name, length)).parent_path();
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

std::string DefaultLibrary() {
#ifdef _WIN32
    return (ExecutableFolder() / "vantrel.dll").string();
#else
    // The build tree's; once installed, the loader finds it by its soname.
    const auto built = (ExecutableFolder() / ".." / "lib" / "libvantrel.so").lexically_normal();
    std::error_code error;
    if (std::filesystem::exists(built, error)) return built.string();
    return VANTREL_SONAME;
#endif
}

// The loaded library and its two exports.
struct Library {
    VantrelOpenFn open = nullptr;
    VantrelOpenExFn openEx = nullptr;
};

std::optional<Library> Load(const std::string& path) {
    Library library;
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::fprintf(stderr, "vantrel-host: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return std::nullopt;
    }
    // FARPROC has no parameters; through void* the cast says what is meant.
    library.open = reinterpret_cast<VantrelOpenFn>(reinterpret_cast<void*>(GetProcAddress(module, "OpenVantrel")));
    library.openEx = reinterpret_cast<VantrelOpenExFn>(reinterpret_cast<void*>(GetProcAddress(module, "OpenVantrelEx")));
#else
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "vantrel-host: cannot load %s: %s\n", path.c_str(), dlerror());
        return std::nullopt;
    }
    library.open = reinterpret_cast<VantrelOpenFn>(dlsym(module, "OpenVantrel"));
    library.openEx = reinterpret_cast<VantrelOpenExFn>(dlsym(module, "OpenVantrelEx"));
#endif
    // The library stays loaded until the process ends, as in a trading program.
    if (!library.open || !library.openEx) {
        std::fprintf(stderr, "vantrel-host: %s does not export OpenVantrel and OpenVantrelEx\n", path.c_str());
        return std::nullopt;
    }
    return library;
}

// Calls the chosen export with `owner` as the host window.
std::function<void(uintptr_t)> MakeCall(const Library& library, const Options& options, std::string tradeGbk,
                                        std::string hostGbk) {
    if (options.ex) return [=](uintptr_t owner) { library.openEx(owner, tradeGbk.c_str()); };
    return [=](uintptr_t owner) { library.open(owner, hostGbk.c_str(), options.port, tradeGbk.c_str()); };
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = Parse(argc, argv);
    if (!options) {
        Usage();
        return 2;
    }
    const auto trade = vantrel::Utf8ToGbk(options->trade);
    const auto host = vantrel::Utf8ToGbk(options->host);
    if (!trade.ok() || !host.ok()) {
        std::fprintf(stderr, "vantrel-host: %s\n", (trade.ok() ? host : trade).error().c_str());
        return 2;
    }
    const std::string path = options->library.empty() ? DefaultLibrary() : options->library;
    const auto library = Load(path);
    if (!library) return 1;
    const auto call = MakeCall(*library, *options, trade.value(), host.value());

    if (options->automatic) {
        call(0);
        return 0;
    }

    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("交易客户端"));
    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("交易商号：%1").arg(QString::fromStdString(options->trade))));
    auto* open = new QPushButton(QStringLiteral("打开资金划转"));
    open->setObjectName("btnOpen");
    layout->addWidget(open);
    window.setCentralWidget(central);
    QObject::connect(open, &QPushButton::clicked, &window,
                     [&] { call(static_cast<uintptr_t>(window.winId())); });
    window.resize(360, 140);
    window.show();
#ifdef VANTREL_WALKTHROUGH
    if (!options->walkthrough.empty()) {
        vantrel::host::WalkthroughScript script;
        script.tradeId = QString::fromStdString(options->trade);
        script.ownerWindow = static_cast<uintptr_t>(window.winId());
        vantrel::host::Walkthrough walk(QString::fromStdString(options->walkthrough), script);
        if (!walk.start()) return 1;
        QTimer::singleShot(0, &window, [&] {
            call(static_cast<uintptr_t>(window.winId()));
            walk.exportReturned();
            app.exit(walk.exitCode());
        });
        app.exec();
        return walk.exitCode();
    }
#endif
    if (!options->screenshot.empty()) {
        // For demonstrations without a person: the dialog is opened at once,
        // photographed once it has settled, and closed.
        QTimer::singleShot(0, &window, [&] {
            QTimer::singleShot(1500, [&] {
                if (auto* dialog = QApplication::activeModalWidget()) {
                    const bool saved = dialog->grab().save(QString::fromStdString(options->screenshot));
                    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                                 options->screenshot.c_str());
                    dialog->close();
                }
            });
            call(static_cast<uintptr_t>(window.winId()));
            app.quit();
        });
    }
    return app.exec();
}
