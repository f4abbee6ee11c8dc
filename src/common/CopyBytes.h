#pragma once
// Copies of the few bytes a table cell holds: a call to memcpy costs more
// than the copy itself at these sizes, so short runs are moved as two
// overlapping words.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vantrel {

inline void CopyBytes(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + n - 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + n - 8, &b, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a, b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + n - 4, 4);
        std::memcpy(to, &a, 4);
        std::memcpy(to + n - 4, &b, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, n);
    }
}

}  // namespace vantrel
