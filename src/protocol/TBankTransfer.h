#pragma once
// The base of every request to the fund middleware: one object per kind of
// operation, reused for every call. The caller fills the input fields and
// calls Execute; the object connects when needed, sends one frame, reads the
// answer frames into ResultTable, sets LastMessage and logs the outcome.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/MemoryTable.h"
#include "protocol/LogSink.h"
#include "protocol/TBankParas.h"

namespace vantrel {

class LogAppender;
class Profile;

struct Session;

// A failure to write the transfer log: the one failure a request lets
// propagate to its caller.
class TransferLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One body field: the name sent on the wire and its value (UTF-8).
using RequestField = std::pair<std::string, std::string>;
using RequestFields = std::vector<RequestField>;

// One entry of a request's body table: the name sent and the input member
// that holds its value. The stamps TradeDate and TradeTime hold none: they
// are today and now when the body is built.
struct BodyField {
    std::string_view name;
    std::string* input = nullptr;
};
inline constexpr std::string_view kTradeDate = "TradeDate";
inline constexpr std::string_view kTradeTime = "TradeTime";

class TBankTransfer {
public:
    // Runs over `session`'s connection, which must outlive the request;
    // `owner` is the window that runs it and receives its log events.
    explicit TBankTransfer(Session& session, LogSink* owner = nullptr);
    virtual ~TBankTransfer();
    TBankTransfer(const TBankTransfer&) = delete;
    TBankTransfer& operator=(const TBankTransfer&) = delete;

    // Runs the request; true on success. Failures are reported through
    // LastMessage and the log, never thrown (only a failure to write the
    // transfer log propagates).
    virtual bool Execute() = 0;

    LogSink* OwnerWindow = nullptr;
    TBankParas Settings;
    std::string LastMessage;
    std::string BankCode;
    MemoryTable ResultTable;
    std::string OperationName;
    uint8_t FormatMode = 0;
    std::string SubCode;
    bool LogEvents = true;
    std::string LastReturnCode;
    // Set by Execute when a request that moves money was sent but its answer
    // never arrived: the outcome is unknown until the details are queried.
    bool AnswerLost = false;

    Session& session() const { return session_; }

    // The input field sent under `name`; none when the request sends no
    // such input (the stamps included).
    std::string* Input(std::string_view name);

    // Grids attach to the result through its table.
    MemoryTable& ResultSource() { return ResultTable; }

    bool EnsureConnected();
    bool Reconnect();
    // Writes one request frame and reads the answer frames into ResultTable.
    bool Exchange(const std::string& frame);
    void LoadRows(std::string_view body, std::size_t columns, bool first);

    std::string MessageText(std::string_view key) const;
    std::string ReturnCodeText(std::string_view code) const;
    void LogEvent(const std::string& message, int level);
    void AppendLogFile(const std::string& block);

    void ClientConnected();
    void ClientDisconnected();

    static std::string FormatDate(std::string_view text);
    static std::string FormatTime(std::string_view text);

protected:
    // A request named by Settings.OperationNames[operation] from the start,
    // its answer shown in `formatMode`.
    TBankTransfer(Session& session, LogSink* owner, std::size_t operation, uint8_t formatMode = 0);

    // The body table, every field in the order sent: set by each request's
    // constructor, over its own members.
    std::vector<BodyField> body_;

    // The common pattern of Execute: checks and encodes the fields, makes
    // sure the connection is open, builds the header and exchanges. `fields`
    // is called again once connected, so that the date and time it sends are
    // those of sending. The header's sub-code is `subCode` when given,
    // otherwise SubCode.
    bool RunRequest(std::string_view functionCode, const std::function<RequestFields()>& fields,
                    const std::optional<std::string>& subCode = std::nullopt);
    // RunRequest with the fields of the body table.
    bool SendBody(std::string_view functionCode, const std::optional<std::string>& subCode = std::nullopt);
    // The fields of the body table, the stamps taken now.
    RequestFields BodyFields() const;
    // The request frame: the fields in GBK, names then values, behind the
    // prefix and the 100-byte header. A value the wire cannot carry is
    // reported (level 2) before anything is sent and gives no frame.
    std::optional<std::string> EncodeFrame(std::string_view functionCode, const RequestFields& fields,
                                           const std::optional<std::string>& subCode = std::nullopt);
    // Runs the steps of Execute; an unexpected failure becomes a reported
    // one (hn0009, level 2). Only a failure to write the log propagates.
    bool Guarded(const std::function<bool()>& steps);
    // Connects the shared client; a failure is reported (hn0001, level 2).
    bool ConnectTo(const std::string& host, int32_t port, int32_t timeOut, const TlsSettings& tls);
    // For a request that moves money, the records query where the customer
    // checks the outcome of a lost answer before trying again; empty for the
    // others.
    virtual std::string OutcomeRecords() const { return {}; }
    bool MovesMoney() const { return !OutcomeRecords().empty(); }
    // The Bank.ini name of operation `index`, or `fallback` when it has none.
    std::string OperationNameOr(std::size_t index, const char* fallback) const;

    static std::string TodayText();
    static std::string NowText();

private:
    Session& session_;
    // Bank.ini's texts as read when the running request began, so that its
    // messages and log blocks take one look at the file; null between
    // requests, when every text is read afresh.
    std::shared_ptr<const Profile> requestTexts_;
    std::shared_ptr<const Profile> Texts() const;
    // The transfer log file of the running request, open from its first
    // block to its end; null between requests, when a block opens the file
    // for itself.
    LogAppender* requestLog_ = nullptr;

    std::string FailureMessage(std::string_view body, std::size_t columns);
    enum class CellFormat { AsReceived, Empty, Money, Date, Time };
    CellFormat ColumnFormat(const std::string& column) const;
    static Status AppendStoredCell(CellFormat format, std::string_view item, std::string& out);
    std::string ConnectEventText(std::string_view key) const;
};

}  // namespace vantrel
