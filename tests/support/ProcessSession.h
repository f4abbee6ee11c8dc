#pragma once
// One session for the tests and benchmarks that need just some login to run
// requests under; the library itself hands each login its own.
#include "common/LibraryStart.h"
#include "protocol/Session.h"

namespace vantrel {

// The session, made (with the library started) on first use.
Session& Process();
// Ends it: disconnects and forgets its state; the next Process() starts anew.
void EndProcessSession();

// Short names for the fields every request touches.
inline TProxyTCPClient& SharedClient() { return Process().SharedClient; }
inline TLoginInfo& ActiveServer() { return Process().ActiveServer; }
inline std::string& PacketKey() { return Process().PacketKey; }
inline bool& KeepConnection() { return Process().KeepConnection; }
inline MemoryTable& SignedBankTable() { return Process().SignedBankTable; }
inline TBankInfo& CustomerSession() { return Process().CustomerSession; }

}  // namespace vantrel
