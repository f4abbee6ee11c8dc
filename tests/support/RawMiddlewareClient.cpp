#include "RawMiddlewareClient.h"

#include "common/TextCodec.h"

namespace vantrel::test {

std::string RawAnswer::cell(std::size_t row, const std::string& column) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == column && row < rows.size() && i < rows[row].size()) return rows[row][i];
    return {};
}

Result<RawAnswer> RawMiddlewareClient::request(const RequestHeaderFields& header,
                                               const std::vector<Field>& utf8Fields, bool keepOpen) {
    std::vector<Field> wire;
    for (const auto& [name, value] : utf8Fields) {
        auto gbk = Utf8ToGbk(value);
        if (!gbk) return Error{gbk.error()};
        wire.emplace_back(name, std::move(gbk).value());
    }
    auto frame = BuildRequestFrame(header, wire);
    if (!frame) return Error{frame.error()};
    return exchange(frame.value(), keepOpen);
}

Result<RawAnswer> RawMiddlewareClient::exchange(const std::string& frame, bool keepOpen) {
    asio::error_code error;
    if (!socket_.is_open()) {
        key_ = std::string(kDefaultPacketKey);
        socket_.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port_)}, error);
        if (error) {
            socket_.close();
            return Error{"connect: " + error.message()};
        }
    }
    auto fail = [&](const std::string& why) -> Result<RawAnswer> {
        asio::error_code ignored;
        socket_.close(ignored);
        return Error{why};
    };
    asio::write(socket_, asio::buffer(frame), error);
    if (error) return fail("write: " + error.message());

    AnswerFrameReader reader(std::string_view(frame).substr(kPrefixSize, kHeaderSize));
    RawAnswer answer;
    for (;;) {
        std::string prefixBytes(kPrefixSize, '\0');
        asio::read(socket_, asio::buffer(prefixBytes), error);
        if (error) return fail("read: " + error.message());
        auto prefix = ParseAnswerPrefix(prefixBytes);
        if (!prefix) return fail(prefix.error());
        std::string payload(prefix.value().length, '\0');
        asio::read(socket_, asio::buffer(payload), error);
        if (error) return fail("read: " + error.message());
        auto body = reader.accept(prefix.value(), std::move(payload), key_);
        if (!body) return fail(body.error());
        const auto items = SplitBody(body.value());
        const std::size_t columns = reader.columnCount();
        if (answer.frames == 0) {
            answer.returnCode = reader.returnCode();
            for (std::size_t i = 0; i < columns && i < items.size(); ++i)
                answer.columns.push_back(GbkToUtf8(items[i]).valueOr("?"));
        }
        for (std::size_t i = columns; columns != 0 && i + columns <= items.size(); i += columns) {
            std::vector<std::string> row;
            for (std::size_t c = 0; c < columns; ++c) row.push_back(GbkToUtf8(items[i + c]).valueOr("?"));
            answer.rows.push_back(std::move(row));
        }
        ++answer.frames;
        if (!reader.succeeded()) answer.returnCode = reader.returnCode();
        if (reader.lastFrame()) break;
    }
    if (!keepOpen) {
        asio::error_code ignored;
        socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }
    return answer;
}

}  // namespace vantrel::test
