#pragma once
// The process-wide connection and login state, alive from library start-up to
// shut-down. Used from the host's thread only, so it carries no lock.
#include <memory>
#include <string>

#include "common/MemoryTable.h"
#include "protocol/PacketCodec.h"
#include "protocol/SessionTypes.h"
#include "protocol/TProxyTCPClient.h"

namespace vantrel {

class TBankTransfer;

inline const std::string DefaultPacketKey{kDefaultPacketKey};

struct ProcessState {
    TProxyTCPClient SharedClient;
    TLoginInfo ActiveServer;
    std::string PacketKey = DefaultPacketKey;
    bool KeepConnection = false;
    MemoryTable SignedBankTable;
    TBankInfo CustomerSession;
    // The request that receives the client's connect and disconnect events:
    // the one constructed last, or none.
    TBankTransfer* BoundRequest = nullptr;
};

// Library start-up: computes the application and log folders (creating the
// log folder), creates the shared client and the empty account table.
// Repeated calls keep the running state.
void StartLibrary();
// Library shut-down: disconnects and frees the shared state.
void StopLibrary();
bool LibraryStarted();

// The running state; starts the library first when nobody has.
ProcessState& Process();

// Short names for the fields every request touches.
inline TProxyTCPClient& SharedClient() { return Process().SharedClient; }
inline TLoginInfo& ActiveServer() { return Process().ActiveServer; }
inline std::string& PacketKey() { return Process().PacketKey; }
inline bool& KeepConnection() { return Process().KeepConnection; }
inline MemoryTable& SignedBankTable() { return Process().SignedBankTable; }
inline TBankInfo& CustomerSession() { return Process().CustomerSession; }

}  // namespace vantrel
