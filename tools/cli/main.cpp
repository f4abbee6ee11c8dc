// vantrel: the command-line client. All logic lives in vantrel_cli_lib.
#include <iostream>

#include "CliRunner.h"
#include "TerminalPassword.h"

#ifdef _WIN32
#include <string>
#include <vector>

#include "ConsoleOutput.h"
#include "common/WideText.h"
#endif

namespace {

int Run(int argc, const char* const* argv) {
    using namespace vantrel::cli;
    PasswordPrompt prompt;
    if (StdinIsTerminal()) prompt = ReadPasswordNoEcho;
    return RunCli(argc, argv, std::cout, std::cerr, std::cin, prompt);
}

}  // namespace

#ifdef _WIN32
// The narrow arguments of a Windows program are in the ANSI code page and
// lose every character outside it; the wide ones become the UTF-8 the client
// works in, and a console is written to in UTF-16.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) words.push_back(vantrel::Utf8FromWide(argv[i]));
    std::vector<const char*> pointers;
    for (const auto& word : words) pointers.push_back(word.c_str());
    pointers.push_back(nullptr);

    vantrel::cli::ConsoleUtf8Output console;
    return Run(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
    return Run(argc, argv);
}
#endif
