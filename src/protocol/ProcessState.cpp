#include "protocol/ProcessState.h"

#include <stdexcept>

#include "common/AppPaths.h"
#include "protocol/TBankTransfer.h"

namespace vantrel {
namespace {

std::unique_ptr<ProcessState>& State() {
    static std::unique_ptr<ProcessState> state;
    return state;
}

void BindClientEvents(ProcessState& state) {
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
    auto& state = State();
    if (state) return;
    if (auto made = EnsureFolder(LogPath()); !made.ok())
        throw std::runtime_error(made.error());
    state = std::make_unique<ProcessState>();
    BindClientEvents(*state);
}

void StopLibrary() {
    auto& state = State();
    if (!state) return;
    // No request outlives the library; the last disconnect reaches nobody.
    state->BoundRequest = nullptr;
    state->SharedClient.onConnected = nullptr;
    state->SharedClient.onDisconnected = nullptr;
    if (state->SharedClient.connected()) state->SharedClient.disconnect();
    state.reset();
}

bool LibraryStarted() { return State() != nullptr; }

ProcessState& Process() {
    if (!State()) StartLibrary();
    return *State();
}

}  // namespace vantrel
