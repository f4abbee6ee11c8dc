#pragma once
// Reading a secret from the terminal without echoing it.
#include <optional>
#include <string>

namespace vantrel::cli {

// Whether standard input is a terminal a person types into.
bool StdinIsTerminal();

// Shows the prompt on standard error and reads one line from standard input
// with echo off; none when standard input is not a terminal or has ended.
std::optional<std::string> ReadPasswordNoEcho(const std::string& prompt);

}  // namespace vantrel::cli
