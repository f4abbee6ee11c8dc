#include "common/Profile.h"

#include "common/AppPaths.h"
#include "common/AtomicFile.h"
#include "common/ProfileText.h"
#include "common/SystemError.h"
#include "common/TextCodec.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>

namespace vantrel {

using namespace profile_text;

namespace {

// Optional sign, then digits in the given base; the whole text must be used.
std::optional<int64_t> ParseSigned(std::string_view text, int base) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    constexpr auto max = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (negative) {
        if (magnitude > max + 1) return std::nullopt;
        return magnitude == max + 1 ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
    }
    if (magnitude > max) return std::nullopt;
    return static_cast<int64_t>(magnitude);
}

}  // namespace

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
    auto value = ParseSigned(TrimView(text), 10);
    if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

std::optional<int64_t> ParseProfileGridInteger(std::string_view text) {
    text = TrimView(text);
    std::string_view sign;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.substr(0, 1);
        text.remove_prefix(1);
    }
    std::string_view digits;
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        digits = text.substr(1), base = 16;
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits = text.substr(2), base = 16;
    } else {
        digits = text;
    }
    // A second sign after the prefix ("$-1") is not a number.
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') return std::nullopt;
    return ParseSigned(std::string(sign) + std::string(digits), base);
}

Profile Profile::Load(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        Profile empty;
        if (ec) {
            empty.exists_ = true;  // present or not, it cannot be told: do not treat as absent
            empty.loadError_ = "cannot read " + PathToUtf8(file) + ": " + SystemErrorText(ec);
        }
        return empty;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    if (in) bytes << in.rdbuf();
    if (!in || in.bad() || std::filesystem::is_directory(file, ec)) {
        Profile unreadable;
        unreadable.exists_ = true;
        unreadable.loadError_ = "cannot read " + PathToUtf8(file);
        return unreadable;
    }
    return Parse(bytes.str());
}

Profile Profile::Parse(std::string_view bytes) {
    Profile profile;
    profile.exists_ = true;
    const bool utf8 = HasUtf8Bom(bytes);
    if (utf8) bytes.remove_prefix(kUtf8Bom.size());

    std::optional<std::size_t> current;  // index into sections_
    std::size_t number = 0;
    for (const auto& raw : SplitLines(bytes)) {
        ++number;
        std::string text, error;
        if (!DecodeLine(raw.content, utf8, text, error)) {
            if (!profile.loadError_.empty()) profile.loadError_ += "; ";
            profile.loadError_ += "line " + std::to_string(number) + " skipped: " + error;
            continue;
        }
        auto line = ClassifyLine(text);
        switch (line.kind) {
        case LineKind::Blank:
        case LineKind::Comment:
        case LineKind::Undecodable:
            break;
        case LineKind::Section: {
            // Repeated headers of one name continue the same section.
            current.reset();
            for (std::size_t i = 0; i < profile.sections_.size() && !current; ++i)
                if (EqualsNoCase(profile.sections_[i].name, line.name)) current = i;
            if (!current) {
                current = profile.sections_.size();
                profile.sections_.push_back({line.name, {}});
            }
            break;
        }
        case LineKind::Entry:
            // Lines before the first header belong to no section.
            if (current)
                profile.sections_[*current].entries.push_back({std::move(line.text), std::move(line.name),
                                            std::move(line.value), line.hasEquals});
            break;
        }
    }
    return profile;
}

const Profile::Section* Profile::find(std::string_view section) const {
    section = TrimView(section);
    for (const auto& candidate : sections_)
        if (EqualsNoCase(candidate.name, section)) return &candidate;
    return nullptr;
}

std::optional<std::string> Profile::value(std::string_view section, std::string_view key) const {
    const Section* found = find(section);
    if (!found) return std::nullopt;
    key = TrimView(key);
    for (const auto& entry : found->entries)
        if (entry.hasEquals && EqualsNoCase(entry.key, key)) return entry.value;
    return std::nullopt;
}

std::string Profile::readString(std::string_view section, std::string_view key, std::string_view def) const {
    auto found = value(section, key);
    return found ? *found : std::string(def);
}

int32_t Profile::readInteger(std::string_view section, std::string_view key, int32_t def) const {
    auto found = value(section, key);
    if (!found) return def;
    return ParseProfileInteger(*found).value_or(def);
}

bool Profile::readBool(std::string_view section, std::string_view key, bool def) const {
    auto found = value(section, key);
    if (!found) return def;
    auto number = ParseProfileInteger(*found);
    return number ? *number != 0 : def;
}

std::optional<int64_t> Profile::readGridInteger(std::string_view section, std::string_view key) const {
    auto found = value(section, key);
    if (!found) return std::nullopt;
    return ParseProfileGridInteger(*found);
}

std::vector<std::string> Profile::sectionValues(std::string_view section) const {
    std::vector<std::string> values;
    if (const Section* found = find(section))
        for (const auto& entry : found->entries) values.push_back(entry.value);
    return values;
}

std::vector<std::string> Profile::sectionLines(std::string_view section) const {
    std::vector<std::string> lines;
    if (const Section* found = find(section))
        for (const auto& entry : found->entries) lines.push_back(entry.line);
    return lines;
}

std::vector<std::string> Profile::sectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* found = find(section))
        for (const auto& entry : found->entries)
            if (entry.hasEquals) keys.push_back(entry.key);
    return keys;
}

bool Profile::hasSection(std::string_view section) const {
    return find(section) != nullptr;
}

std::vector<std::string> Profile::sectionNames() const {
    std::vector<std::string> names;
    for (const auto& section : sections_) names.push_back(section.name);
    return names;
}

// ---------------------------------------------------------------- writing

namespace {

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Quotes a value that would not read back as written: surrounding blanks
// are trimmed and one pair of matching quotes is removed on reading.
std::string QuoteForReading(std::string_view value) {
    if (value.empty()) return {};
    const bool blankEdge = TrimView(value).size() != value.size();
    bool quotedLook = value.size() >= 2 && value.front() == value.back() &&
                      (value.front() == '"' || value.front() == '\'');
    if (blankEdge || quotedLook) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

struct OutLine {
    std::string content;
    std::string ending;
};

struct AnalysedLine {
    ParsedLine parsed;
    std::string sectionName;  // of the section the line lies in
    bool inSection = false;
};

Status CheckNames(const ProfileEdit& edit, std::string_view section, std::string_view key) {
    if (section.empty()) return Error{"a Bank.ini section name cannot be empty"};
    if (section.find(']') != std::string_view::npos || HasLineBreak(section))
        return Error{"the section name \"" + std::string(section) + "\" cannot hold \"]\" or a line break"};
    if (edit.kind == ProfileEdit::Kind::EraseSection) return Status::success();
    if (key.empty()) return Error{"a Bank.ini key cannot be empty"};
    if (HasLineBreak(key) || key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';')
        return Error{"the key \"" + std::string(key) +
                     "\" cannot hold \"=\" or a line break, nor start with \"[\" or \";\""};
    if (edit.kind == ProfileEdit::Kind::Write && HasLineBreak(edit.value))
        return Error{"the value of key \"" + std::string(key) + "\" cannot hold a line break"};
    return Status::success();
}

}  // namespace

Result<std::optional<std::string>> EditProfileBytes(std::string_view original, const ProfileEdit& edit) {
    const auto section = TrimView(edit.section);
    const auto key = TrimView(edit.key);
    if (auto checked = CheckNames(edit, section, key); !checked) return Error{checked.error()};

    const bool utf8 = HasUtf8Bom(original);
    std::string_view body = utf8 ? original.substr(kUtf8Bom.size()) : original;
    auto encode = [&](const std::string& text) -> Result<std::string> {
        if (!utf8) return Utf8ToGbk(text);
        std::string checked, error;
        if (!DecodeLine(text, true, checked, error)) return Error{error};
        return text;
    };

    const auto raw = SplitLines(body);
    std::vector<OutLine> lines;
    std::vector<AnalysedLine> analysed;
    std::string lineEnd;
    std::string currentSection;
    bool inSection = false;
    for (const auto& line : raw) {
        lines.push_back({std::string(line.content), std::string(line.ending)});
        if (lineEnd.empty() && !line.ending.empty()) lineEnd = std::string(line.ending);
        AnalysedLine info;
        std::string text, error;
        if (DecodeLine(line.content, utf8, text, error)) {
            info.parsed = ClassifyLine(text);
        } else {
            info.parsed.kind = LineKind::Undecodable;  // kept byte for byte, never matched
        }
        if (info.parsed.kind == LineKind::Section) {
            currentSection = info.parsed.name;
            inSection = true;
        }
        info.sectionName = currentSection;
        info.inSection = inSection;
        analysed.push_back(std::move(info));
    }
    if (lineEnd.empty()) lineEnd = "\r\n";

    auto inMatchingSection = [&](std::size_t i) {
        return analysed[i].inSection && EqualsNoCase(analysed[i].sectionName, section);
    };
    auto isHeader = [&](std::size_t i) { return analysed[i].parsed.kind == LineKind::Section; };
    auto isKeyLine = [&](std::size_t i) {
        const auto& parsed = analysed[i].parsed;
        return inMatchingSection(i) && parsed.kind == LineKind::Entry && parsed.hasEquals &&
               EqualsNoCase(parsed.name, key);
    };
    auto assemble = [&]() {
        std::string out = utf8 ? std::string(kUtf8Bom) : std::string();
        for (const auto& line : lines) out += line.content + line.ending;
        return out;
    };

    switch (edit.kind) {
    case ProfileEdit::Kind::Write: {
        auto newLine = encode(std::string(key) + "=" + QuoteForReading(edit.value));
        if (!newLine) return Error{"cannot write key \"" + std::string(key) + "\": " + newLine.error()};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (isKeyLine(i)) {
                lines[i].content = std::move(newLine).value();
                return std::optional<std::string>(assemble());
            }
        }
        std::optional<std::size_t> header;
        for (std::size_t i = 0; i < lines.size() && !header; ++i)
            if (isHeader(i) && inMatchingSection(i)) header = i;
        if (header) {
            std::size_t last = *header;
            for (std::size_t i = *header + 1; i < lines.size() && !isHeader(i); ++i)
                if (analysed[i].parsed.kind != LineKind::Blank) last = i;
            if (lines[last].ending.empty()) lines[last].ending = lineEnd;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                         OutLine{std::move(newLine).value(), lineEnd});
            return std::optional<std::string>(assemble());
        }
        auto headerLine = encode("[" + std::string(section) + "]");
        if (!headerLine) return Error{"cannot write section \"" + std::string(section) + "\": " + headerLine.error()};
        if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = lineEnd;
        lines.push_back({std::move(headerLine).value(), lineEnd});
        lines.push_back({std::move(newLine).value(), lineEnd});
        return std::optional<std::string>(assemble());
    }
    case ProfileEdit::Kind::DeleteKey:
    case ProfileEdit::Kind::EraseSection: {
        std::vector<OutLine> kept;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            bool drop = edit.kind == ProfileEdit::Kind::DeleteKey ? isKeyLine(i) : inMatchingSection(i);
            if (!drop) kept.push_back(std::move(lines[i]));
        }
        if (kept.size() == lines.size()) return std::optional<std::string>();
        lines = std::move(kept);
        return std::optional<std::string>(assemble());
    }
    }
    return std::optional<std::string>();
}

namespace {

// Writers in one process take turns so that no read-change-write cycle loses
// another's change.
std::mutex writeMutex;

Status ApplyEdits(const std::filesystem::path& file, const std::vector<ProfileEdit>& edits) {
    std::lock_guard lock(writeMutex);
    std::string original;
    std::error_code ec;
    bool exists = std::filesystem::exists(file, ec);
    if (ec) return Error{"cannot read " + PathToUtf8(file) + ": " + SystemErrorText(ec)};
    if (exists) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        if (in) bytes << in.rdbuf();
        if (!in || in.bad() || std::filesystem::is_directory(file, ec))
            return Error{"cannot read " + PathToUtf8(file) + "; it is left unchanged"};
        original = bytes.str();
    }
    // Every edit applies to the result of the one before; the file is
    // replaced once, so a failure anywhere leaves it as it was.
    std::string bytes = original;
    bool changed = false;
    for (const auto& edit : edits) {
        auto edited = EditProfileBytes(bytes, edit);
        if (!edited) return Error{edited.error()};
        if (!edited.value()) continue;
        bytes = std::move(*edited.value());
        changed = true;
    }
    if (!changed) return Status::success();
    return ReplaceFileAtomically(file, bytes);
}

Status ApplyEdit(const std::filesystem::path& file, const ProfileEdit& edit) {
    return ApplyEdits(file, std::vector<ProfileEdit>{edit});
}

}  // namespace

Status WriteProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                          std::string_view value) {
    return ApplyEdit(file, {ProfileEdit::Kind::Write, std::string(section), std::string(key), std::string(value)});
}

Status DeleteProfileKey(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    return ApplyEdit(file, {ProfileEdit::Kind::DeleteKey, std::string(section), std::string(key), {}});
}

Status EraseProfileSection(const std::filesystem::path& file, std::string_view section) {
    return ApplyEdit(file, {ProfileEdit::Kind::EraseSection, std::string(section), {}, {}});
}

Status EditProfile(const std::filesystem::path& file, const std::vector<ProfileEdit>& edits) {
    return ApplyEdits(file, edits);
}

void SetProfileWriteFaultForTesting(std::function<bool(std::size_t)> fault) {
    SetAtomicWriteFaultForTesting(std::move(fault));
}

}  // namespace vantrel
