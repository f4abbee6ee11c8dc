#pragma once
// <windows.h> for the Windows-only code paths, without the parts (and their
// macros) that WIN32_LEAN_AND_MEAN leaves out. Nothing elsewhere.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
