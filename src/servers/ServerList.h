#pragma once
// The server list in Bank.ini: [MoneyServer] Count and the numbered sections
// [MoneyServer1]..[MoneyServerN] with ServerName, ServerIP and Port, and any
// further keys of a server (its Tls settings), which go with it when the list
// is renumbered. Shared by
// the login dialog, the list and edit dialogs, the speed test and the
// command-line probe.
#include "common/Result.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

class MemoryTable;
class Profile;

inline constexpr std::string_view ServerSectionHead = "MoneyServer";
// A larger Count is a broken file, not a list to walk.
inline constexpr int MaxServerCount = 1000;

// Field positions of the list dialog's table; position 0 is its check box.
enum ServerField { sfCheck = 0, sfName = 1, sfIP = 2, sfPort = 3 };
// The table field, added after the shown ones, that carries a server's
// other keys ("key=value" lines), so that a save keeps them.
inline constexpr std::string_view ServerKeysField = "ServerOtherKeys";

struct StoredServer {
    int Number = 0;         // n of [Prefix + n]
    bool Present = false;   // the section exists
    std::string ServerName; // as read, untrimmed
    std::string ServerIP;
    std::string Port;       // text; may be empty
    // The section's other keys and values, in file order (Tls, TlsPin...).
    std::vector<std::pair<std::string, std::string>> OtherKeys;
};

std::string ServerSection(std::string_view prefix, int number);

// Count of [prefix] (0 when missing or unreadable).
int StoredServerCount(const Profile& ini, std::string_view prefix);

// Every section 1..Count in order, missing ones included (Present false,
// empty texts). A Count above MaxServerCount is an error.
Result<std::vector<StoredServer>> ReadServerSections(const Profile& ini, std::string_view prefix);

// The servers that count: sections whose trimmed name is not empty.
std::vector<StoredServer> NamedServers(const std::vector<StoredServer>& sections);

// Appends one row per named server of Bank.ini (AppPath) to `table`, whose
// fields 1..3 take name, address and port as text; the other keys go into
// ServerKeysField, which is added to the table when it lacks it. Bound grids
// are not refreshed until the end.
Status LoadServerTable(MemoryTable& table, std::string_view prefix);

// Writes Count and the numbered sections from the table's rows in their
// current order (with each row's other keys), in one replacement of the
// file. An empty table writes nothing.
Status SaveServerTable(const MemoryTable& table, std::string_view prefix);

// Removes the sections 1..Count; [prefix] itself stays.
Status EraseServerSections(std::string_view prefix);

// Erase and save as one replacement of Bank.ini: the list on disk is either
// the old one or the new one, renumbered 1..N. An empty table stores Count=0.
Status SaveServerList(const MemoryTable& table, std::string_view prefix);

// Removes one row (view position) of the server table, keeping the others in
// their order. The table has no row deletion of its own.
Status DeleteServerRow(MemoryTable& table, int row);

}  // namespace vantrel
