#pragma once
// MD5 computed outside the program, by the system's md5sum, so that tests of
// our own MD5 compare against an independent implementation.
#include "TestFolder.h"

#include <cstdio>
#include <memory>
#include <string>

namespace vantrel::test {

// Upper-case hex MD5 of `bytes` after passing them through the shell filter
// `convert` ("cat" for none, e.g. "iconv -f UTF-8 -t GBK"). Empty when the
// command failed, so a caller comparing against it fails too.
inline std::string ExternalMd5(const std::string& bytes, const std::string& convert = "cat") {
    TestFolder folder;
    const auto file = folder.write("input.bin", bytes);
    const std::string command = "set -o pipefail; " + convert + " < '" + file.string() + "' | md5sum";
    const std::string shell = "bash -c \"" + command + "\"";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(shell.c_str(), "r"), pclose);
    if (!pipe) return {};
    std::string output;
    char buffer[128];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    if (pclose(pipe.release()) != 0 || output.size() < 32) return {};
    std::string hex = output.substr(0, 32);
    for (char& c : hex)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return hex;
}

}  // namespace vantrel::test
