#pragma once
// The simulator's side of the frame protocol: reading request payloads and
// cutting answers into frames (scrambled, split by rows and by size).
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "common/Result.h"
#include "protocol/PacketCodec.h"

namespace vantrel::middleware {

// One request as the simulator sees it; text in UTF-8.
struct WireRequest {
    std::string functionCode;  // header 0-4
    std::string subCode;       // header 5-6, trimmed
    std::string bankCode;      // header 48-50, trimmed
    std::map<std::string, std::string> fields;

    bool has(const std::string& name) const { return fields.count(name) != 0; }
    std::string get(const std::string& name) const;
};

// Request length prefix: requests write it left-aligned ("120 "); blanks on
// either side of the digits are accepted, anything else is refused.
Result<std::size_t> ParseRequestLength(std::string_view fourBytes);

// Header and body of a request payload. Fails on a short header, a body that
// holds fewer items than twice the field count, or text that is not GBK.
Result<WireRequest> ParseRequest(std::string_view payload);

// An answer before framing: return code, column names and rows (UTF-8).
struct Answer {
    std::string returnCode = "00000";
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    static Answer Failure(const std::string& code, const std::string& message);
    bool ok() const { return returnCode == "00000"; }
};

// How the frames of one connection are written.
struct FramingOptions {
    int scrambleMode = 0;          // 0 plain, 1 scrambled, 2 key frame plain, 3 key frame scrambled
    std::size_t rowsPerFrame = 0;  // 0: as many as fit
    std::size_t maxPayload = kMaxPayloadSize;
    bool leftAlignedLength = false;  // the bad-length fault
};

// Scrambling state of one connection: the key both sides hold and whether
// the key frame has been sent.
struct ConnectionKey {
    std::string key{kDefaultPacketKey};
    bool keySent = false;
};

// The frames of one answer, in order, ready to write. Every frame repeats the
// column names; header byte 46 is 'Y' on all but the last.
Result<std::vector<std::string>> BuildFrames(const Answer& answer, const FramingOptions& options,
                                             ConnectionKey& connection);

}  // namespace vantrel::middleware
