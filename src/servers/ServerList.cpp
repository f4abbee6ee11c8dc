#include "servers/ServerList.h"

#include "common/AppPaths.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextUtil.h"

#include <algorithm>

namespace vantrel {
namespace {

Profile LoadBankIni() { return Profile::Load(PathFromUtf8(BankIniPath())); }

// Reads Bank.ini afresh; a file that exists but cannot be read is an error,
// so that a save never builds on an empty picture of it.
Result<Profile> LoadForWriting() {
    Profile ini = LoadBankIni();
    if (ini.fileExists() && !ini.loadError().empty() && ini.sectionNames().empty())
        return Error{ini.loadError()};
    return ini;
}

int CountToErase(const Profile& ini, std::string_view prefix) {
    return std::clamp(StoredServerCount(ini, prefix), 0, MaxServerCount);
}

bool IsListedKey(std::string_view key) {
    return EqualsNoCase(key, "ServerName") || EqualsNoCase(key, "ServerIP") || EqualsNoCase(key, "Port");
}

std::vector<std::pair<std::string, std::string>> OtherKeys(const Profile& ini, const std::string& section) {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto& key : ini.sectionKeys(section)) {
        if (IsListedKey(key)) continue;
        bool seen = false;
        for (const auto& [name, value] : keys) seen = seen || EqualsNoCase(name, key);
        if (!seen) keys.emplace_back(key, ini.readString(section, key, ""));
    }
    return keys;
}

std::string JoinKeys(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text;
    for (const auto& [key, value] : keys) text += (text.empty() ? "" : "\n") + key + "=" + value;
    return text;
}

// The "key=value" lines of a row's ServerKeysField, as profile writes.
void AddOtherKeys(std::vector<ProfileEdit>& edits, const std::string& section, std::string_view lines) {
    while (!lines.empty()) {
        const auto end = lines.find('\n');
        const auto line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0 || IsListedKey(line.substr(0, equals))) continue;
        edits.push_back({ProfileEdit::Kind::Write, section, std::string(line.substr(0, equals)),
                         std::string(line.substr(equals + 1))});
    }
}

void AddErase(std::vector<ProfileEdit>& edits, std::string_view prefix, int upTo) {
    for (int n = 1; n <= upTo; ++n)
        edits.push_back({ProfileEdit::Kind::EraseSection, ServerSection(prefix, n), {}, {}});
}

Status AddRows(std::vector<ProfileEdit>& edits, const MemoryTable& table, std::string_view prefix) {
    if (table.fieldCount() <= sfPort) return Error{"the server table lacks its name, address and port fields"};
    const int rows = table.recordCount();
    if (rows > MaxServerCount) return Error{"more than " + std::to_string(MaxServerCount) + " servers"};
    const int keysField = table.fieldIndex(ServerKeysField);
    edits.push_back({ProfileEdit::Kind::Write, std::string(prefix), "Count", std::to_string(rows)});
    for (int row = 0; row < rows; ++row) {
        const auto section = ServerSection(prefix, row + 1);
        edits.push_back({ProfileEdit::Kind::Write, section, "ServerName", table.text(row, sfName)});
        edits.push_back({ProfileEdit::Kind::Write, section, "ServerIP", table.text(row, sfIP)});
        edits.push_back({ProfileEdit::Kind::Write, section, "Port", table.text(row, sfPort)});
        if (keysField >= 0) AddOtherKeys(edits, section, table.text(row, keysField));
    }
    return Status::success();
}

}  // namespace

std::string ServerSection(std::string_view prefix, int number) { return std::string(prefix) + std::to_string(number); }

int StoredServerCount(const Profile& ini, std::string_view prefix) { return ini.readInteger(prefix, "Count", 0); }

Result<std::vector<StoredServer>> ReadServerSections(const Profile& ini, std::string_view prefix) {
    const int count = StoredServerCount(ini, prefix);
    if (count > MaxServerCount)
        return Error{"[" + std::string(prefix) + "] Count=" + std::to_string(count) + " is more than " +
                     std::to_string(MaxServerCount) + " servers"};
    std::vector<StoredServer> servers;
    for (int n = 1; n <= count; ++n) {
        const auto section = ServerSection(prefix, n);
        servers.push_back({n, ini.hasSection(section), ini.readString(section, "ServerName", ""),
                           ini.readString(section, "ServerIP", ""), ini.readString(section, "Port", ""),
                           OtherKeys(ini, section)});
    }
    return servers;
}

std::vector<StoredServer> NamedServers(const std::vector<StoredServer>& sections) {
    std::vector<StoredServer> named;
    for (const auto& server : sections)
        if (!Trim(server.ServerName).empty()) named.push_back(server);
    return named;
}

Status LoadServerTable(MemoryTable& table, std::string_view prefix) {
    if (table.fieldCount() <= sfPort) return Error{"the server table lacks its name, address and port fields"};
    const auto sections = ReadServerSections(LoadBankIni(), prefix);
    if (!sections) return Error{sections.error()};
    if (table.fieldIndex(ServerKeysField) < 0) {
        if (auto added = table.addField({std::string(ServerKeysField)}); !added) return added;
    }
    const int keysField = table.fieldIndex(ServerKeysField);
    table.beginUpdate();
    Status status;
    for (const auto& server : NamedServers(*sections)) {
        std::vector<std::string> texts(static_cast<size_t>(table.fieldCount()));
        texts[sfName] = server.ServerName;
        texts[sfIP] = server.ServerIP;
        texts[sfPort] = server.Port;
        texts[static_cast<size_t>(keysField)] = JoinKeys(server.OtherKeys);
        status = table.appendRow(std::move(texts));
        if (!status) break;
    }
    table.endUpdate();
    return status;
}

Status SaveServerTable(const MemoryTable& table, std::string_view prefix) {
    if (table.recordCount() == 0) return Status::success();
    std::vector<ProfileEdit> edits;
    if (auto added = AddRows(edits, table, prefix); !added) return added;
    return EditProfile(PathFromUtf8(BankIniPath()), edits);
}

Status EraseServerSections(std::string_view prefix) {
    const auto ini = LoadForWriting();
    if (!ini) return Error{ini.error()};
    std::vector<ProfileEdit> edits;
    AddErase(edits, prefix, CountToErase(*ini, prefix));
    return EditProfile(PathFromUtf8(BankIniPath()), edits);
}

Status SaveServerList(const MemoryTable& table, std::string_view prefix) {
    const auto ini = LoadForWriting();
    if (!ini) return Error{ini.error()};
    std::vector<ProfileEdit> edits;
    // Sections left beyond the old Count by hand would otherwise lend their
    // stray keys to the new entries of the same number.
    AddErase(edits, prefix, std::max(CountToErase(*ini, prefix), std::min(table.recordCount(), MaxServerCount)));
    if (table.recordCount() == 0) {
        // An old Count over erased sections would read as servers that
        // are not there.
        edits.push_back({ProfileEdit::Kind::Write, std::string(prefix), "Count", "0"});
    } else if (auto added = AddRows(edits, table, prefix); !added) {
        return added;
    }
    return EditProfile(PathFromUtf8(BankIniPath()), edits);
}

Status DeleteServerRow(MemoryTable& table, int row) {
    const int rows = table.recordCount();
    if (row < 0 || row >= rows) return Error{"no such row"};
    std::vector<std::vector<std::string>> kept;
    for (int r = 0; r < rows; ++r) {
        if (r == row) continue;
        std::vector<std::string> texts;
        for (int c = 0; c < table.fieldCount(); ++c) texts.push_back(table.text(r, c));
        kept.push_back(std::move(texts));
    }
    table.beginUpdate();
    table.emptyTable();
    Status status;
    for (auto& texts : kept) {
        status = table.appendRow(std::move(texts));
        if (!status) break;
    }
    table.endUpdate();
    if (status && !kept.empty()) table.setRecNo(std::min(row, static_cast<int>(kept.size()) - 1));
    return status;
}

}  // namespace vantrel
