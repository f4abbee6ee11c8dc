#include "EngineFixture.h"

#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/TextCodec.h"
#include "ProcessSession.h"

namespace vantrel::test {

const char* const kStandardBankIni = R"([system]
Host=127.0.0.1
Port=12345
TimeOut=2000
ReadTimeOut=3000
[OptionKind]
Item0=登录
Item1=转账明细查询
Item2=修改资金密码
Item3=入金
Item4=出金
Item5=监管余额查询
Item6=订单号查询
Item7=银行余额查询
Item8=外汇买卖
Item9=外汇明细查询
Item10=手续费查询
Item11=市场资金查询
[Values]
hn0001=连接服务器失败:
hn0002=连接服务器 %s:%d 成功
hn0003=断开服务器 %s:%d
hn0004=数据载入失败
hn0005=时间：
hn0006=交易商：
hn0007=信息：
hn0008=成功
hn0009=通讯失败:
[ReturnCode]
E1002=资金密码错误
[MoneyFieldsList]
1=ChangeMoney
2=Balance
[DataFieldsList]
1=TradeDate
2=Balance
[TimeFieldsList]
1=TradeTime
)";

void EngineFixture::SetUp() {
    EndProcessSession();
    folder = std::make_unique<TestFolder>();
    appPath = std::make_unique<ScopedAppPath>(*folder);
    writeBankIni(kStandardBankIni);
    StartLibrary();
    server = std::make_unique<ScriptedServer>();
}

void EngineFixture::TearDown() {
    EndProcessSession();
    server.reset();
    SetClockForTesting({});
    appPath.reset();
    folder.reset();
}

void EngineFixture::writeBankIni(const std::string& utf8Text) {
    auto gbk = Utf8ToGbk(utf8Text);
    ASSERT_TRUE(gbk.ok()) << gbk.error();
    folder->write("Bank.ini", gbk.value());
}

void EngineFixture::login(const std::string& tradeId) {
    server->enqueue({AnswerFrame({"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId",
                                  "BankType", "Url", "005", "测试银行", "6222001", "0", "C01", "0", ""},
                                 7)});
    TBankLogin login(Process());
    login.Settings.Host = "127.0.0.1";
    login.Settings.Port = server->port();
    login.Settings.CustTradeID = tradeId;
    login.Settings.CustMoneyPwd = "123456";
    ASSERT_TRUE(login.Execute()) << login.LastMessage;
}

std::string EngineFixture::transferLog() const {
    const auto name = DailyFileName(folder->appPath() + "logs/", ".mlog", ToLocal(Now()));
    auto text = GbkToUtf8(folder->read(name.substr(folder->appPath().size())));
    return text.ok() ? text.value() : "<not GBK>";
}

}  // namespace vantrel::test
