#include "protocol/Session.h"

#include "protocol/TBankTransfer.h"

namespace vantrel {

Session::Session() {
    SharedClient.onConnected = [this] {
        if (BoundRequest) BoundRequest->ClientConnected();
    };
    SharedClient.onDisconnected = [this] {
        if (BoundRequest)
            BoundRequest->ClientDisconnected();
        else
            PacketKey = DefaultPacketKey;
    };
}

Session::~Session() {
    // No request outlives its session.
    BoundRequest = nullptr;
    SharedClient.onConnected = nullptr;
    SharedClient.onDisconnected = nullptr;
    if (SharedClient.connected()) SharedClient.disconnect();
}

}  // namespace vantrel
