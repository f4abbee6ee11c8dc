#include "ProcessSession.h"

#include <memory>

namespace vantrel {
namespace {

std::unique_ptr<Session> running;

}  // namespace

Session& Process() {
    if (!running) {
        StartLibrary();
        running = std::make_unique<Session>();
    }
    return *running;
}

void EndProcessSession() { running.reset(); }

}  // namespace vantrel
