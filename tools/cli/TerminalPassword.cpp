#include "TerminalPassword.h"

#include <csignal>
#include <iostream>

#ifdef _WIN32
#include "common/Win32.h"
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace vantrel::cli {
namespace {

std::optional<std::string> ReadLine() {
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

#ifndef _WIN32
termios savedTerminal;

// Ctrl-C while echo is off must not leave the terminal blind.
extern "C" void RestoreAndRaise(int signal) {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

}  // namespace

bool StdinIsTerminal() {
#ifdef _WIN32
    // _isatty is also true for NUL and serial ports; only a console has a mode.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

std::optional<std::string> ReadPasswordNoEcho(const std::string& prompt) {
    if (!StdinIsTerminal()) return std::nullopt;
    std::cerr << prompt << std::flush;
#ifdef _WIN32
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = GetConsoleMode(input, &mode) != 0;
    if (console) SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    auto line = ReadLine();
    if (console) SetConsoleMode(input, mode);
#else
    const bool terminal = tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
    auto previousInt = SIG_DFL, previousTerm = SIG_DFL;
    if (terminal) {
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        previousInt = std::signal(SIGINT, RestoreAndRaise);
        previousTerm = std::signal(SIGTERM, RestoreAndRaise);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    auto line = ReadLine();
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        std::signal(SIGINT, previousInt);
        std::signal(SIGTERM, previousTerm);
    }
#endif
    std::cerr << '\n';
    return line;
}

}  // namespace vantrel::cli
