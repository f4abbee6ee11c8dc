#pragma once
// One probed server and the outcome of its latest probe run.
#include <cstdint>
#include <string>

#include "protocol/TlsSettings.h"

namespace vantrel {

// Probe states and notice codes. 4 is unused; StatusText maps it to "未知状态".
enum HostStatus : int16_t {
    hsStart = 0,        // text of the start-of-run notice only
    hsUntested = 1,
    hsChecking = 2,
    hsConnected = 3,
    hsTimeout = 5,      // also the text of a failed-attempt notice
    hsInterrupted = 6,  // text of the end-of-run notice
    hsComplete = 7,     // in the text table only
};

struct THostInfo {
    int32_t HostID = 0;        // caller's key, unique within one checker
    std::string IP;            // dotted IPv4 text
    int32_t Port = 0;
    int16_t State = hsUntested;
    uint16_t Tries = 0;        // connect attempts started in the current run
    int64_t RespondTime = 0;   // ms; the connect's duration once connected
    TlsSettings Tls{};         // enabled: a probe counts only with a completed handshake
};

}  // namespace vantrel
