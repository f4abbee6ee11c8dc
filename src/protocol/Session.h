#pragma once
// One customer's login: the connection with its settings and server, the
// signed accounts and the account in use with the fund password. Login fills
// it; the windows of that login are handed it.
#include <string>

#include "common/MemoryTable.h"
#include "protocol/PacketCodec.h"
#include "protocol/SessionTypes.h"
#include "protocol/TProxyTCPClient.h"

namespace vantrel {

class TBankTransfer;

inline const std::string DefaultPacketKey{kDefaultPacketKey};

struct Session {
    // Routes the client's connect and disconnect events to BoundRequest.
    Session();
    // Disconnects; the last disconnect reaches no request.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    TProxyTCPClient SharedClient;
    // The server and trade number of the login.
    TLoginInfo ActiveServer;
    std::string PacketKey = DefaultPacketKey;
    bool KeepConnection = false;
    MemoryTable SignedBankTable;
    // The account in use and the fund password.
    TBankInfo CustomerSession;
    // The request that receives the client's connect and disconnect events:
    // the one constructed last, or none.
    TBankTransfer* BoundRequest = nullptr;
};

}  // namespace vantrel
