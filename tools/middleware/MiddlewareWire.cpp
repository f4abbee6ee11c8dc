#include "MiddlewareWire.h"

#include "common/TextCodec.h"
#include "common/TextUtil.h"

namespace vantrel::middleware {

std::string WireRequest::get(const std::string& name) const {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

Result<std::size_t> ParseRequestLength(std::string_view fourBytes) {
    if (fourBytes.size() != 4) return Error{"length prefix is not four bytes"};
    const auto first = fourBytes.find_first_not_of(' ');
    if (first == std::string_view::npos) return Error{"unreadable length prefix"};
    const auto digits = fourBytes.substr(first, fourBytes.find_last_not_of(' ') - first + 1);
    std::size_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return Error{"unreadable length prefix"};
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

Result<WireRequest> ParseRequest(std::string_view payload) {
    if (payload.size() < kHeaderSize) return Error{"request shorter than its header"};
    WireRequest request;
    request.functionCode = std::string(payload.substr(0, 5));
    request.subCode = Trim(payload.substr(5, 2));
    request.bankCode = Trim(payload.substr(48, 3));
    const std::size_t count = static_cast<unsigned char>(payload[kHeaderCountOffset]);
    const auto items = SplitBody(payload.substr(kHeaderSize));
    if (items.size() < 2 * count) return Error{"request body holds fewer items than its field count"};
    for (std::size_t i = 0; i < count; ++i) {
        auto name = GbkToUtf8(items[i]);
        auto value = GbkToUtf8(items[count + i]);
        if (!name || !value) return Error{"request text is not GBK"};
        request.fields.emplace(Trim(name.value()), std::move(value).value());
    }
    return request;
}

Answer Answer::Failure(const std::string& code, const std::string& message) {
    Answer answer;
    answer.returnCode = code;
    answer.columns = {"Code", "Message"};
    answer.rows = {{code, message}};
    return answer;
}

namespace {

Result<std::string> WireItems(const std::vector<std::string>& items) {
    std::vector<std::string> wire;
    wire.reserve(items.size());
    for (const auto& item : items) {
        auto gbk = Utf8ToGbk(item);
        if (!gbk) return Error{gbk.error()};
        wire.push_back(std::move(gbk).value());
    }
    return JoinItems(wire);
}

}  // namespace

Result<std::vector<std::string>> BuildFrames(const Answer& answer, const FramingOptions& options,
                                             ConnectionKey& connection) {
    auto names = WireItems(answer.columns);
    if (!names) return Error{names.error()};
    std::vector<std::string> rowBytes;
    for (const auto& row : answer.rows) {
        auto bytes = WireItems(row);
        if (!bytes) return Error{bytes.error()};
        rowBytes.push_back(std::move(bytes).value());
    }

    // Bodies: the column names, then as many rows as the limits allow.
    const std::size_t room = options.maxPayload - kHeaderSize;
    std::vector<std::string> bodies;
    std::string body = names.value();
    std::size_t rowsInBody = 0;
    for (const auto& row : rowBytes) {
        if (names.value().size() + row.size() > room) return Error{"one answer row does not fit a frame"};
        const bool full = (options.rowsPerFrame != 0 && rowsInBody == options.rowsPerFrame) ||
                          body.size() + row.size() > room;
        if (full) {
            bodies.push_back(std::move(body));
            body = names.value();
            rowsInBody = 0;
        }
        body += row;
        ++rowsInBody;
    }
    bodies.push_back(std::move(body));

    std::vector<std::string> frames;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        AnswerHeaderFields header;
        header.returnCode = answer.returnCode;
        header.lastFrame = i + 1 == bodies.size();
        header.columnCount = static_cast<std::uint8_t>(answer.columns.size());

        auto flag = ScrambleFlag::Plain;
        const bool keyFrame = options.scrambleMode >= 2 && !connection.keySent;
        if (keyFrame)
            flag = options.scrambleMode == 2 ? ScrambleFlag::NewKey : ScrambleFlag::ScrambledNewKey;
        else if (options.scrambleMode != 0)
            flag = ScrambleFlag::Scrambled;

        auto frame = BuildAnswerFrame(header, bodies[i], flag, connection.key);
        if (!frame) return Error{frame.error()};
        auto bytes = std::move(frame).value();
        if (keyFrame) {
            // Both sides take the plain payload as the next key.
            connection.key = BuildAnswerHeader(header) + bodies[i];
            connection.keySent = true;
        }
        if (options.leftAlignedLength) {
            std::string digits = std::to_string(bytes.size() - kPrefixSize);
            digits.resize(4, ' ');
            bytes.replace(0, 4, digits);
        }
        frames.push_back(std::move(bytes));
    }
    return frames;
}

}  // namespace vantrel::middleware
