#pragma once
// MD5 (RFC 1321) of a byte string. Used for the online-banking signature, which
// the bank checks against its own MD5; it is not used for anything secret.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

std::array<std::uint8_t, 16> Md5Digest(std::string_view bytes);

// The digest as 32 upper-case hexadecimal digits.
std::string Md5HexUpper(std::string_view bytes);

}  // namespace vantrel
