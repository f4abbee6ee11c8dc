// vantrel: the command-line client. All logic lives in vantrel_cli_lib.
#include <iostream>

#include "CliRunner.h"
#include "TerminalPassword.h"

int main(int argc, char** argv) {
    using namespace vantrel::cli;
    PasswordPrompt prompt;
    if (StdinIsTerminal()) prompt = ReadPasswordNoEcho;
    return RunCli(argc, argv, std::cout, std::cerr, std::cin, prompt);
}
