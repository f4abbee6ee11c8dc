#include "protocol/ProcessState.h"

#include <stdexcept>

#include "common/AppPaths.h"
#include "protocol/TBankTransfer.h"

namespace vantrel {
namespace {

// A plain pointer, so that no static destructor runs before a library's
// shut-down object has called StopLibrary; the order of static destruction
// across files is not defined.
Session* runningState = nullptr;

void BindClientEvents(Session& state) {
    state.SharedClient.onConnected = [] {
        if (auto* request = Process().BoundRequest) request->ClientConnected();
    };
    state.SharedClient.onDisconnected = [] {
        auto& process = Process();
        if (auto* request = process.BoundRequest)
            request->ClientDisconnected();
        else
            process.PacketKey = DefaultPacketKey;
    };
}

}  // namespace

void StartLibrary() {
    if (runningState) return;
    if (auto made = EnsureFolder(LogPath()); !made.ok())
        throw std::runtime_error(made.error());
    auto state = std::make_unique<Session>();
    BindClientEvents(*state);
    runningState = state.release();
}

void StopLibrary() {
    std::unique_ptr<Session> state(runningState);
    runningState = nullptr;
    if (!state) return;
    // No request outlives the library; the last disconnect reaches nobody.
    state->BoundRequest = nullptr;
    state->SharedClient.onConnected = nullptr;
    state->SharedClient.onDisconnected = nullptr;
    if (state->SharedClient.connected()) state->SharedClient.disconnect();
}

bool LibraryStarted() { return runningState != nullptr; }

Session& Process() {
    if (!runningState) StartLibrary();
    return *runningState;
}

}  // namespace vantrel
