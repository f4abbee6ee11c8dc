#pragma once
// The commands of the command-line client: their words, the options each
// takes and which of them must be given. Parsing and help read this table.
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

struct CommandSpec {
    std::string name;
    std::vector<std::string> words;     // the one word that must follow (forex buy|settle), or none
    std::vector<std::string> options;   // command options accepted, without "--"
    std::vector<std::string> required;  // of those, the ones that must be given
    bool needsLogin = true;
    bool takesBankPassword = false;     // --bank-password / --bank-password-stdin
    bool bankWithAccount = false;       // --bank and --account only together
    std::string usage;                  // the synopsis after the command name
    std::string summary;
};

const std::vector<CommandSpec>& CommandTable();
// None for an unknown name.
const CommandSpec* FindCommand(std::string_view name);

}  // namespace vantrel::cli
