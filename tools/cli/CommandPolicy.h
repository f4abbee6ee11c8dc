#pragma once
// The main window's rules for a command, from the bank's system parameters:
// an operation the bank has switched off is refused, and so is one without
// the bank password the bank asks for.
#include <string>

#include "protocol/BankPolicy.h"

namespace vantrel::cli {

struct CliArguments;

// Whether the command is one the window governs by the parameters of the
// bank it names (--bank).
bool PolicyApplies(const CliArguments& args);

// Why the window would refuse the command; empty when it would not.
std::string PolicyRefusal(const BankPolicy& policy, const CliArguments& args, bool bankPasswordGiven);

}  // namespace vantrel::cli
