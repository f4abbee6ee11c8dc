#pragma once
// How the code page 936 table of the text codec is made: iconv's "CP936"
// (GBK, as glibc has it) for every code GBK defines, and for the codes it
// leaves open the rule Windows follows. The user-defined areas take
// consecutive Private Use Area code points, AAA1..AFFE from U+E000,
// F8A1..FEFE from U+E234 and A140..A7A0 from U+E4C6 (each lead byte's trail
// bytes in order), and every other open code, in byte order, from U+E766.
#include <string>
#include <vector>

#include "common/Result.h"

namespace vantrel::cp936 {

inline constexpr unsigned kFirstLead = 0x81;
inline constexpr unsigned kLeadCount = 126;   // 0x81..0xFE
inline constexpr unsigned kTrailCount = 190;  // 0x40..0x7E, 0x80..0xFE

// The trail byte at position `index` of a lead byte's row.
inline unsigned TrailByte(unsigned index) { return index < 63 ? 0x40 + index : 0x41 + index; }

// Every two-byte code, lead byte by lead byte, as its code point. Fails when
// iconv has no CP936 or a code it defines lies outside the Basic
// Multilingual Plane.
Result<std::vector<char16_t>> DeriveTwoByteTable();

// The table as C++ initializers, one line per lead byte.
std::string TableSource(const std::vector<char16_t>& table);

}  // namespace vantrel::cp936
