#include "protocol/TBankTransfer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <functional>

#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/FieldValue.h"
#include "common/Profile.h"
#include "common/SafeFormat.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "protocol/PacketCodec.h"
#include "protocol/Session.h"

namespace vantrel {
namespace {

constexpr std::size_t kResultColumnWidth = 200;
const std::string kSuccessCode = "00000";

// `records`: where the customer sees whether the request went through;
// empty for a request that moves no money.
std::string TimedOutText(int32_t milliseconds, const std::string& records) {
    std::string text = "服务器在 " + std::to_string((milliseconds + 999) / 1000) + " 秒内没有应答";
    if (!records.empty())
        text += "，本次业务结果未知，请先通过“" + records + "”确认结果，再决定是否重新提交";
    return text;
}

// Reads a money value in cents and appends it in currency units with two
// decimals; whole numbers are converted exactly.
Status AppendCentsAsUnits(std::string& out, std::string_view cents) {
    const auto text = TrimView(cents);
    if (text.empty()) {
        out += '0';
        return Status::success();
    }
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    const auto digits = text.substr(i);
    const bool whole = !digits.empty() && digits.size() <= 18 &&
                       std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (whole) {
        long long value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        char units[32];
        char* end = units;
        if (negative && value != 0) *end++ = '-';
        end = std::to_chars(end, units + sizeof units, value / 100).ptr;
        const auto rest = static_cast<int>(value % 100);
        *end++ = '.';
        *end++ = static_cast<char>('0' + rest / 10);
        *end++ = static_cast<char>('0' + rest % 10);
        out.append(units, static_cast<std::size_t>(end - units));
        return Status::success();
    }
    const auto value = ReadDecimal(text);
    if (!value) return Error{"金额“" + std::string(text) + "”不是数字"};
    out += Format("%.2f", *value / 100.0).valueOr("");
    return Status::success();
}

// "yyyymmdd" and "hhmmss": the first `first` characters, then two and two,
// joined by `separator`; a shorter text as it is.
void AppendThreeGroups(std::string& out, std::string_view text, std::size_t first, char separator) {
    if (text.size() < first + 4) {
        out.append(text);
        return;
    }
    char groups[16];
    std::memcpy(groups, text.data(), first);
    char* to = groups + first;
    *to++ = separator;
    *to++ = text[first];
    *to++ = text[first + 1];
    *to++ = separator;
    *to++ = text[first + 2];
    *to++ = text[first + 3];
    out.append(groups, static_cast<std::size_t>(to - groups));
}

// Bank.ini as last read, read again only when the file changes: every log
// block needs its texts, and an edit must show at once. Size and time tell
// an edit; a file written in the last two seconds is read every time, as
// its time may not yet tell two quick edits apart.
std::shared_ptr<const Profile> IniTexts(const std::string& file) {
    struct Cached {
        std::string file;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        std::shared_ptr<const Profile> ini;
    };
    static std::mutex mutex;
    static Cached cached;
    std::error_code error;
    const std::filesystem::path path(file);
    const auto time = std::filesystem::last_write_time(path, error);
    const auto size = error ? 0 : std::filesystem::file_size(path, error);
    if (error) return std::make_shared<const Profile>(Profile::Load(path));
    std::lock_guard lock(mutex);
    if (cached.ini && cached.file == file && cached.size == size && cached.time == time) return cached.ini;
    auto ini = std::make_shared<const Profile>(Profile::Load(path));
    if (std::filesystem::file_time_type::clock::now() - time > std::chrono::seconds(2))
        cached = Cached{file, size, time, ini};
    else
        cached.ini.reset();
    return ini;
}

// Table failures end the load with their own text.
void Check(const Status& status) {
    if (!status.ok()) throw std::runtime_error(status.error());
}

}  // namespace

TBankTransfer::TBankTransfer(Session& session, LogSink* owner) : OwnerWindow(owner), session_(session) {
    Settings.LoadSettings();
    session_.KeepConnection = Settings.ConnectStyle;
    session_.BoundRequest = this;
}

TBankTransfer::TBankTransfer(Session& session, LogSink* owner, std::size_t operation, uint8_t formatMode)
    : TBankTransfer(session, owner) {
    FormatMode = formatMode;
    OperationName = Settings.OperationNames.at(operation);
}

TBankTransfer::~TBankTransfer() {
    if (session_.BoundRequest == this) session_.BoundRequest = nullptr;
}

std::string TBankTransfer::TodayText() { return FormatYmd(ToLocal(Now())); }

std::string TBankTransfer::NowText() {
    const auto t = ToLocal(Now());
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d%02d", t.hour, t.minute, t.second);
    return text;
}

bool TBankTransfer::EnsureConnected() {
    return session_.SharedClient.connected() || Reconnect();
}

bool TBankTransfer::Reconnect() {
    const auto& server = session_.ActiveServer;
    return ConnectTo(server.Host, server.Port, server.TimeOut, server.Tls);
}

bool TBankTransfer::ConnectTo(const std::string& host, int32_t port, int32_t timeOut, const TlsSettings& tls) {
    Status status;
    try {
        status = session_.SharedClient.connect(host, port, std::chrono::milliseconds(timeOut), tls);
    } catch (const TransferLogError&) {
        throw;
    } catch (const std::exception& failure) {
        // A connect-event text that cannot be formatted fails the connect.
        status = Error{failure.what()};
    }
    if (status.ok()) return session_.SharedClient.connected();
    LastMessage = MessageText("hn0001");
    LogEvent(LastMessage + status.error(), LogError);
    return false;
}

std::optional<std::string> TBankTransfer::EncodeFrame(std::string_view functionCode,
                                                     const RequestFields& fields,
                                                     const std::optional<std::string>& subCode) {
    std::vector<Field> wire;
    wire.reserve(fields.size());
    std::string refused;
    for (const auto& [name, value] : fields) {
        auto encoded = Utf8ToGbk(value);
        if (!encoded.ok()) {
            refused = "字段 " + name + " 含有无法传送的字符（" + encoded.error() + "）";
            break;
        }
        wire.emplace_back(name, std::move(encoded).value());
    }
    if (refused.empty()) {
        RequestHeaderFields header{std::string(functionCode), subCode.value_or(SubCode), BankCode};
        auto frame = BuildRequestFrame(header, wire);
        if (frame.ok()) return std::move(frame).value();
        refused = frame.error();
    }
    LastMessage = OperationName + "请求未发送：" + refused;
    LogEvent(LastMessage, LogError);
    return std::nullopt;
}

bool TBankTransfer::RunRequest(std::string_view functionCode,
                               const std::function<RequestFields()>& fields,
                               const std::optional<std::string>& subCode) {
    AnswerLost = false;
    return Guarded([&] {
        // A value the wire cannot carry is refused before connecting.
        if (!EncodeFrame(functionCode, fields(), subCode)) return false;
        // EnsureConnected has just looked at the connection, whichever way
        // it went: a second look would find the same.
        if (!EnsureConnected()) return false;
        // Built again after a connect that may have taken its time: the
        // trade date and time are those of sending.
        const auto frame = EncodeFrame(functionCode, fields(), subCode);
        return frame && Exchange(*frame);
    });
}

bool TBankTransfer::SendBody(std::string_view functionCode, const std::optional<std::string>& subCode) {
    return RunRequest(functionCode, [this] { return BodyFields(); }, subCode);
}

RequestFields TBankTransfer::BodyFields() const {
    RequestFields fields;
    for (const auto& [name, input] : body_) {
        if (input)
            fields.emplace_back(name, *input);
        else
            fields.emplace_back(name, name == kTradeDate ? TodayText() : NowText());
    }
    return fields;
}

std::string* TBankTransfer::Input(std::string_view name) {
    for (const auto& field : body_)
        if (field.name == name) return field.input;
    return nullptr;
}

bool TBankTransfer::Guarded(const std::function<bool()>& steps) {
    requestTexts_ = IniTexts(Settings.IniFile());
    LogAppender log;
    struct Forget {
        std::shared_ptr<const Profile>& texts;
        LogAppender*& log;
        LogAppender* outer;
        ~Forget() {
            texts.reset();
            log = outer;
        }
    } forget{requestTexts_, requestLog_, requestLog_};
    requestLog_ = &log;
    bool result = false;
    try {
        result = steps();
    } catch (const TransferLogError&) {
        throw;
    } catch (const std::exception& failure) {
        // For example a disconnect notice whose Bank.ini text cannot be
        // formatted: reported like any other failure of the request.
        LastMessage = OperationName + MessageText("hn0009");
        LogEvent(LastMessage + failure.what(), LogError);
    }
    try {
        log.close();
    } catch (const std::exception& error) {
        throw TransferLogError(error.what());
    }
    return result;
}

std::shared_ptr<const Profile> TBankTransfer::Texts() const {
    return requestTexts_ ? requestTexts_ : IniTexts(Settings.IniFile());
}

bool TBankTransfer::Exchange(const std::string& frame) {
    if (const auto index = ResultTable.activeIndex(); !index.empty())
        (void)ResultTable.deleteIndex(index);

    auto& client = session_.SharedClient;
    client.setReadTimeout(std::chrono::milliseconds(Settings.ReadTimeOut));
    bool result = false;
    std::string failure;
    bool timedOut = false;
    bool sent = false;
    bool unreadFrames = false;

    auto fail = [&](const std::string& why) {
        failure = why;
        timedOut = client.lastFailure() == IoFailure::TimedOut;
    };

    try {
        const auto written = client.writeAll(frame);
        if (!written.ok()) {
            fail(written.error());
        } else {
            sent = true;
            AnswerFrameReader reader(std::string_view(frame).substr(kPrefixSize, kHeaderSize));
            for (std::size_t count = 0;; ++count) {
                auto prefixBytes = client.readExact(kPrefixSize);
                if (!prefixBytes.ok()) { fail(prefixBytes.error()); break; }
                auto prefix = ParseAnswerPrefix(prefixBytes.value());
                if (!prefix.ok()) { fail(prefix.error()); break; }
                auto payload = client.readExact(prefix.value().length);
                if (!payload.ok()) { fail(payload.error()); break; }
                auto answerBody = reader.accept(prefix.value(), std::move(payload).value(), session_.PacketKey);
                if (!answerBody.ok()) { fail(answerBody.error()); break; }
                const auto& answer = answerBody.value();

                if (reader.returnCode() != kSuccessCode) {
                    LastMessage = FailureMessage(answer, reader.columnCount());
                    LogEvent(LastMessage, LogInfo);
                    unreadFrames = !reader.lastFrame();
                    break;
                }
                if (!TrimView(answer).empty()) LoadRows(answer, reader.columnCount(), count == 0);
                result = true;
                LastMessage = OperationName + MessageText("hn0008");
                LogEvent(LastMessage, LogInfo);
                if (reader.lastFrame()) break;
            }
            // Frames left unread after a failure answer would be taken for
            // the answer of the next request on a kept connection.
            if (failure.empty() && (!session_.KeepConnection || unreadFrames)) client.disconnect();
        }
    } catch (const TransferLogError&) {
        throw;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    if (failure.empty()) return result;

    AnswerLost = sent && !result && MovesMoney();
    LastMessage = OperationName + MessageText("hn0009");
    std::string logged = LastMessage + failure;
    // Whatever the failed read left in the stream (the rest of a frame, a late
    // answer) must never be read as the answer of the next request.
    if (client.connected()) client.disconnect();
    if (timedOut) {
        LastMessage += TimedOutText(Settings.ReadTimeOut, OutcomeRecords());
        logged = LastMessage;
    }
    LogEvent(logged, LogError);
    return result;
}

std::string TBankTransfer::FailureMessage(std::string_view body, std::size_t columns) {
    auto item = [&](std::size_t column) {
        return GbkToUtf8(GetItem(body, 2, columns, column)).valueOr("");
    };
    LastReturnCode = item(0);
    const auto text = ReturnCodeText(LastReturnCode);
    if (!TrimView(text).empty()) return Format("%s : %s", LastReturnCode, text).valueOr(LastReturnCode);
    return Format("%s : %s", item(0), item(1)).valueOr(item(0));
}

namespace {

// Appends an answer item as stored text: UTF-8, at most the result column width.
bool DecodeItem(std::string_view raw, std::string& texts) {
    const std::size_t at = texts.size();
    if (!AppendGbkAsUtf8(texts, raw)) return false;
    // Valid UTF-8 never has more display columns than bytes.
    const std::string_view text = std::string_view(texts).substr(at);
    if (text.size() > kResultColumnWidth) texts.resize(at + CutToColumns(text, kResultColumnWidth).size());
    return true;
}

// The answer's items as stored texts (UTF-8, at most the result column
// width) and the bytes they view.
struct DecodedItems {
    std::unique_ptr<char[]> bytes;
    std::string slowBytes;  // when decoded item by item
    std::vector<std::string_view> texts;
};

// The separators are ASCII and never the second byte of a GBK character, so
// the body is decoded whole, into a buffer nothing has to fill first, and
// then split: the same items as decoding them one by one, at a fraction of
// the calls. A body that does not decode whole is split first, to name the
// bad item.
void DecodeItems(std::string_view body, DecodedItems& out) {
    out.bytes = std::make_unique_for_overwrite<char[]>(kUtf8BytesPerGbkByte * body.size());
    if (const char* end = WriteGbkAsUtf8(out.bytes.get(), body)) {
        out.texts = SplitBodyViews(std::string_view(out.bytes.get(), static_cast<std::size_t>(end - out.bytes.get())));
        for (auto& text : out.texts)
            if (text.size() > kResultColumnWidth) text = CutToColumns(text, kResultColumnWidth);
        return;
    }
    const auto items = SplitBodyViews(body);
    std::vector<std::size_t> ends;
    ends.reserve(items.size());
    for (const auto raw : items) {
        if (!DecodeItem(raw, out.slowBytes)) throw std::runtime_error("应答含有无效的字符：" + GbkToUtf8(raw).error());
        ends.push_back(out.slowBytes.size());
    }
    out.texts.reserve(items.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        out.texts.push_back(std::string_view(out.slowBytes).substr(begin, ends[i] - begin));
    }
}

}  // namespace

TBankTransfer::CellFormat TBankTransfer::ColumnFormat(const std::string& column) const {
    if (FormatMode == 0) return CellFormat::AsReceived;
    if (FormatMode > 5) return CellFormat::Empty;
    if (ListHas(Settings.MoneyFields, column)) return CellFormat::Money;
    if (ListHas(Settings.DateFields, column)) return CellFormat::Date;
    if (ListHas(Settings.TimeFields, column)) return CellFormat::Time;
    return CellFormat::AsReceived;
}

Status TBankTransfer::AppendStoredCell(CellFormat format, std::string_view item, std::string& out) {
    switch (format) {
    case CellFormat::AsReceived: out.append(item); break;
    case CellFormat::Empty: break;
    case CellFormat::Money: return AppendCentsAsUnits(out, item);
    case CellFormat::Date: AppendThreeGroups(out, item, 4, '-'); break;
    case CellFormat::Time: AppendThreeGroups(out, item, 2, ':'); break;
    }
    return Status::success();
}

void TBankTransfer::LoadRows(std::string_view body, std::size_t columns, bool first) {
    if (TrimView(body).empty()) return;
    bool updating = false;
    try {
        if (columns == 0) throw std::runtime_error("应答的列数为 0");
        // Every item is decoded before the table changes: a bad one loads
        // nothing. The texts go side by side into one block.
        DecodedItems decoded;
        DecodeItems(body, decoded);
        std::vector<std::string_view>& texts = decoded.texts;
        // Too few items to name the columns: nothing to load, and a first
        // frame leaves the previous columns and rows as they are.
        if (texts.size() < columns) return;
        if (first) {
            std::vector<FieldDef> defs;
            for (std::size_t c = 0; c < columns; ++c)
                defs.push_back(FieldDef{std::string(texts[c]), FieldType::Text, static_cast<int>(kResultColumnWidth)});
            if (auto defined = ResultTable.defineFields(std::move(defs)); !defined.ok())
                throw std::runtime_error(defined.error());
        }
        const auto tableColumns = static_cast<std::size_t>(ResultTable.fieldCount());
        if (tableColumns < columns)
            throw std::runtime_error("应答有 " + std::to_string(columns) + " 列，结果表只有 " +
                                     std::to_string(tableColumns) + " 列");
        if (ResultTable.editing() && texts.size() > columns)
            throw std::runtime_error("a new row is already being edited");
        // The formatting lists are looked up once per column, not per cell.
        std::vector<CellFormat> formats;
        formats.reserve(columns);
        for (std::size_t c = 0; c < columns; ++c) formats.push_back(ColumnFormat(ResultTable.fields()[c].name));
        ResultTable.beginUpdate();
        updating = true;
        std::vector<std::string> formatted(columns);  // a row's formatted cells, reused
        for (std::size_t start = columns; start < texts.size(); start += columns) {
            const std::size_t end = std::min(start + columns, texts.size());
            for (std::size_t b = start; b < end; ++b) {
                const CellFormat format = formats[b - start];
                if (format == CellFormat::AsReceived) continue;
                std::string& cell = formatted[b - start];
                cell.clear();
                // A half-filled row is never kept.
                if (Status stored = AppendStoredCell(format, texts[b], cell); !stored) throw std::runtime_error(stored.error());
                texts[b] = cell;
            }
            Check(ResultTable.appendRowViews(std::span<const std::string_view>(texts).subspan(start, end - start)));
        }
        ResultTable.endUpdate();
        updating = false;
    } catch (const TransferLogError&) {
        throw;
    } catch (const std::exception& error) {
        if (updating) ResultTable.endUpdate();
        LastMessage = MessageText("hn0004");
        LogEvent(LastMessage + " : " + error.what(), LogWarning);
    }
}

std::string TBankTransfer::OperationNameOr(std::size_t index, const char* fallback) const {
    const auto& name = Settings.OperationNames.at(index);
    return TrimView(name).empty() ? std::string(fallback) : name;
}

static std::string ThreeGroups(std::string_view text, std::size_t first, char separator) {
    std::string out;
    AppendThreeGroups(out, text, first, separator);
    return out;
}

std::string TBankTransfer::FormatDate(std::string_view text) { return ThreeGroups(text, 4, '-'); }

std::string TBankTransfer::FormatTime(std::string_view text) { return ThreeGroups(text, 2, ':'); }

std::string TBankTransfer::MessageText(std::string_view key) const {
    return Texts()->readString("Values", key, "");
}

std::string TBankTransfer::ReturnCodeText(std::string_view code) const {
    return Texts()->readString("ReturnCode", code, "");
}

void TBankTransfer::LogEvent(const std::string& message, int level) {
    if (!LogEvents) return;
    const auto ini = Texts();
    const auto label = [&](const char* key) { return ini->readString("Values", key, ""); };
    // One line per event in the file: every line break becomes one blank.
    auto oneLine = ReplaceAll(message, "\r\n", " ");
    for (auto& c : oneLine)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string bar(27, '=');
    const std::string block = bar + "【" + OperationName + "】" + bar + "\r\n" +
                              label("hn0005") + FormatDateTime(ToLocal(Now()), " ") + "\r\n" +
                              label("hn0006") + session_.ActiveServer.TradeID + "\r\n" +
                              label("hn0007") + oneLine + "\r\n";
    AppendLogFile(block);
    if (OwnerWindow) {
        OwnerWindow->LogBlock(block, level & 0x7F);
        OwnerWindow->LogText(message, level);
    }
}

void TBankTransfer::AppendLogFile(const std::string& block) {
    const auto file = DailyFileName(Settings.LogPath, ".mlog", ToLocal(Now()));
    try {
        const std::string text = Trim(block) + "\r\n";
        if (requestLog_)
            requestLog_->append(file, text);
        else
            AppendToFile(file, text);
    } catch (const std::exception& error) {
        throw TransferLogError(error.what());
    }
}

std::string TBankTransfer::ConnectEventText(std::string_view key) const {
    const auto& server = session_.ActiveServer;
    auto text = Format(MessageText(key), server.Host, server.Port);
    if (!text.ok())
        throw std::runtime_error("Bank.ini [Values] " + std::string(key) + " 格式错误：" + text.error());
    return std::move(text).value();
}

void TBankTransfer::ClientConnected() { LogEvent(ConnectEventText("hn0002"), LogInfo); }

void TBankTransfer::ClientDisconnected() {
    // The key goes back to the default whatever the logging does.
    struct ResetKey {
        std::string& key;
        ~ResetKey() { key = DefaultPacketKey; }
    } reset{session_.PacketKey};
    if (session_.KeepConnection) LogEvent(ConnectEventText("hn0003"), LogWarning);
}

}  // namespace vantrel
