#pragma once
// MD5 computed outside our code, so that tests of our own MD5 compare against
// an independent implementation: the system's md5sum on Linux, the Windows
// cryptography API (BCrypt) on Windows.
#include "TestFolder.h"

#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include "common/Win32.h"
#include <bcrypt.h>
#endif

namespace vantrel::test {

#ifdef _WIN32

// Windows' own conversion to code page 936 (GBK), for the "to GBK" filter.
inline bool WindowsUtf8ToGbk(const std::string& utf8, std::string& gbk) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return utf8.empty();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wideLength);
    const int length = WideCharToMultiByte(936, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    gbk.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(936, 0, wide.data(), wideLength, gbk.data(), length, nullptr, nullptr);
    return true;
}

// Upper-case hex MD5 of `bytes`, after converting them to GBK when `convert`
// names iconv; empty when the system refused.
inline std::string ExternalMd5(const std::string& bytes, const std::string& convert = "cat") {
    std::string input = bytes;
    if (convert.find("GBK") != std::string::npos && !WindowsUtf8ToGbk(bytes, input)) return {};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0) return {};
    unsigned char digest[16] = {};
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    done = done && BCryptHashData(hash, reinterpret_cast<PUCHAR>(input.data()), static_cast<ULONG>(input.size()), 0) == 0;
    done = done && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!done) return {};
    static const char* const hexDigits = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += hexDigits[byte >> 4];
        hex += hexDigits[byte & 15];
    }
    return hex;
}

#else

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

#endif

}  // namespace vantrel::test
