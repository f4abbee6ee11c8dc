// Bank.ini parsing and editing on arbitrary bytes: nothing may crash, and a
// successful write must read back as the value written.
#include "common/Profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using vantrel::Profile;
using vantrel::ProfileEdit;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto profile = Profile::Parse(bytes);

    std::string firstSection, firstKey;
    for (const auto& section : profile.sectionNames()) {
        if (firstSection.empty()) firstSection = section;
        for (const auto& key : profile.sectionKeys(section)) {
            if (firstKey.empty()) firstKey = key;
            if (!profile.value(section, key)) std::abort();  // a listed key must be found
            (void)profile.readInteger(section, key, 0);
            (void)profile.readBool(section, key, false);
            (void)profile.readGridInteger(section, key);
        }
        if (profile.sectionValues(section).size() != profile.sectionLines(section).size()) std::abort();
    }

    // Write a value taken from the input's tail under the first names found.
    const std::string section = firstSection.empty() ? "s" : firstSection;
    const std::string key = firstKey.empty() ? "k" : firstKey;
    const std::string value(bytes.substr(bytes.size() / 2, 16));
    auto edited = vantrel::EditProfileBytes(bytes, {ProfileEdit::Kind::Write, section, key, value});
    if (edited && edited.value()) {
        auto reread = Profile::Parse(*edited.value());
        if (reread.value(section, key) != value) std::abort();
    }
    auto erased = vantrel::EditProfileBytes(bytes, {ProfileEdit::Kind::EraseSection, section, {}, {}});
    if (erased && erased.value() && Profile::Parse(*erased.value()).hasSection(section)) std::abort();
    return 0;
}
