// A DLL with the library's two exports and nothing else, linked like the
// library (vantrel_windows_exports). The library itself needs Qt for
// Windows; this lets a Qt-less cross build check the export table: the names
// a host looks up with GetProcAddress, undecorated also for 32-bit stdcall.
#include "vantrel.h"

extern "C" VANTREL_API void VANTREL_CALL OpenVantrel(uintptr_t, const char*, int32_t, const char*) {}

extern "C" VANTREL_API void VANTREL_CALL OpenVantrelEx(uintptr_t, const char*) {}
