/* Vantrel: the fund transfer library a host trading program loads.
 *
 * Two exported functions, C linkage. Each runs the login dialog and, after a
 * successful login, the main window, modally on the calling thread, and
 * returns when both are closed. Call them from the host's user-interface
 * thread, one call at a time.
 *
 * Strings are zero-terminated GBK (code page 936). A string that is not valid
 * GBK is written to the error log and the call returns at once.
 *
 * hostWindow is the host's native window handle (HWND on Windows, the X11
 * window id on Linux); it becomes the owner of every window the library
 * shows. 0 means no owner.
 */
#ifndef VANTREL_H
#define VANTREL_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(VANTREL_BUILDING_LIBRARY) && (defined(_M_IX86) || defined(__i386__))
     /* 32-bit: vantrel.def alone exports the stdcall names undecorated;
      * dllexport would add the decorated ones (_OpenVantrel@16) as well. */
#    define VANTREL_API
#  elif defined(VANTREL_BUILDING_LIBRARY)
#    define VANTREL_API __declspec(dllexport)
#  else
#    define VANTREL_API __declspec(dllimport)
#  endif
   /* The host programs of 32-bit Windows call with stdcall. */
#  if defined(_M_IX86) || defined(__i386__)
#    define VANTREL_CALL __stdcall
#  else
#    define VANTREL_CALL
#  endif
#else
#  if defined(VANTREL_BUILDING_LIBRARY)
#    define VANTREL_API __attribute__((visibility("default")))
#  else
#    define VANTREL_API
#  endif
#  define VANTREL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Logs in to the given server (host name or dotted address, port). */
VANTREL_API void VANTREL_CALL OpenVantrel(uintptr_t hostWindow, const char* host, int32_t port,
                                          const char* tradeId);

/* Logs in to a server chosen from the server list in Bank.ini. */
VANTREL_API void VANTREL_CALL OpenVantrelEx(uintptr_t hostWindow, const char* tradeId);

/* For hosts that resolve the exports at run time (dlsym, GetProcAddress). */
typedef void(VANTREL_CALL* VantrelOpenFn)(uintptr_t, const char*, int32_t, const char*);
typedef void(VANTREL_CALL* VantrelOpenExFn)(uintptr_t, const char*);

#ifdef __cplusplus
}
#endif

#endif /* VANTREL_H */
