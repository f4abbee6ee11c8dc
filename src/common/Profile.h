#pragma once
// Bank.ini: a profile (INI) file in GBK, or UTF-8 when it starts with a BOM.
// Profile is a parsed snapshot for reading; the free functions below change
// the file on disk, each with one atomic replacement.
#include "common/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class Profile {
public:
    // A missing file gives an empty profile with fileExists() false.
    static Profile Load(const std::filesystem::path& file);
    // Parses a file's bytes (the profile then counts as an existing file).
    static Profile Parse(std::string_view bytes);

    bool fileExists() const { return exists_; }
    // Empty when fine; otherwise what went wrong (unreadable file, lines
    // skipped because they could not be decoded, with their line numbers).
    const std::string& loadError() const { return loadError_; }

    // The first matching key of the section (names compared without regard
    // to ASCII case); none when the section or key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal with optional sign; unreadable or out of range gives `def`.
    int32_t readInteger(std::string_view section, std::string_view key, int32_t def) const;
    // An integer: 0 false, anything else true; unreadable gives `def`.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    // Decimal, or hexadecimal after "$" or "0x"; unreadable gives none.
    std::optional<int64_t> readGridInteger(std::string_view section, std::string_view key) const;

    // Per line of the section, in file order: the value after the first "="
    // (trimmed, unquoted), or the whole trimmed line when it has no "=".
    std::vector<std::string> sectionValues(std::string_view section) const;
    // The section's lines themselves, trimmed (no blank or comment lines).
    std::vector<std::string> sectionLines(std::string_view section) const;
    // The keys of the section's "key=value" lines, in file order.
    std::vector<std::string> sectionKeys(std::string_view section) const;
    bool hasSection(std::string_view section) const;
    // Each section once, spelled as at its first header, in file order.
    std::vector<std::string> sectionNames() const;

private:
    struct Entry {
        std::string line;   // trimmed
        std::string key;    // empty without "="
        std::string value;
        bool hasEquals = false;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* find(std::string_view section) const;

    std::vector<Section> sections_;
    bool exists_ = false;
    std::string loadError_;
};

// The integer forms of Bank.ini, shared with the grid colour parser.
std::optional<int32_t> ParseProfileInteger(std::string_view text);
std::optional<int64_t> ParseProfileGridInteger(std::string_view text);

// Sets key=value in the section: the first matching key's line is replaced in
// place, a new key goes after the last non-blank line of its section, a new
// section is appended at the end, and the file is created when missing.
// Untouched lines keep their bytes. Refused, with nothing written: a value
// that cannot be encoded, a key or value with a line break, a section name
// with "]" or a line break, a key with "=" or starting with "[" or ";".
Status WriteProfileString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view value);
// Removes the key (every line of it, so it reads as absent afterwards).
Status DeleteProfileKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
// Removes every header of the section and its lines.
Status EraseProfileSection(const std::filesystem::path& file, std::string_view section);

// One change to a profile, applied to its bytes; the file functions above
// are this plus reading and an atomic replacement.
struct ProfileEdit {
    enum class Kind { Write, DeleteKey, EraseSection };
    Kind kind = Kind::Write;
    std::string section;
    std::string key;
    std::string value;
};
// The new bytes, or none when the edit changes nothing.
Result<std::optional<std::string>> EditProfileBytes(std::string_view original, const ProfileEdit& edit);

// Applies the edits in order and replaces the file once: either all of them
// reach the disk or none does. Refused edits refuse the whole batch.
Status EditProfile(const std::filesystem::path& file, const std::vector<ProfileEdit>& edits);

// Test seam: see SetAtomicWriteFaultForTesting.
void SetProfileWriteFaultForTesting(std::function<bool(std::size_t bytesWritten)> fault);

}  // namespace vantrel
