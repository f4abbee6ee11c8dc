#pragma once
// Whether a Windows test program runs under Wine, for the few checks that
// need what only Linux has (its programs) or a Windows system proper.
#include "common/Win32.h"

namespace vantrel::test {

inline bool UnderWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace vantrel::test
