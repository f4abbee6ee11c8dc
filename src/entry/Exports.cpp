// The library's two exported functions. Everything else in the library is
// hidden (visibility preset and, on Linux, the version script vantrel.map).
#include "vantrel.h"

#include "entry/LibraryEntry.h"

extern "C" VANTREL_API void VANTREL_CALL OpenVantrel(uintptr_t hostWindow, const char* host, int32_t port,
                                                     const char* tradeId) {
    vantrel::RunLoginSequence(hostWindow, host, port, tradeId, false);
}

extern "C" VANTREL_API void VANTREL_CALL OpenVantrelEx(uintptr_t hostWindow, const char* tradeId) {
    vantrel::RunLoginSequence(hostWindow, nullptr, 0, tradeId, true);
}
