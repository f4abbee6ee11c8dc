#pragma once
// The library's one session, alive from library start-up to shut-down: the
// requests reach the connection through it. Windows are handed it instead.
// Used from the host's thread only, so it carries no lock.
#include <string>

#include "protocol/Session.h"

namespace vantrel {

// Library start-up: computes the application and log folders (creating the
// log folder), creates the shared client and the empty account table.
// Repeated calls keep the running state.
void StartLibrary();
// Library shut-down: disconnects and frees the shared state.
void StopLibrary();
bool LibraryStarted();

// The running session; starts the library first when nobody has.
Session& Process();

// Short names for the fields every request touches.
inline TProxyTCPClient& SharedClient() { return Process().SharedClient; }
inline TLoginInfo& ActiveServer() { return Process().ActiveServer; }
inline std::string& PacketKey() { return Process().PacketKey; }
inline bool& KeepConnection() { return Process().KeepConnection; }
inline MemoryTable& SignedBankTable() { return Process().SignedBankTable; }
inline TBankInfo& CustomerSession() { return Process().CustomerSession; }

}  // namespace vantrel
