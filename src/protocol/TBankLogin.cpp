#include "protocol/TBankLogin.h"

#include "protocol/ProcessState.h"

namespace vantrel {

TBankLogin::TBankLogin() {
    PacketKey() = DefaultPacketKey;
    OperationName = Settings.OperationNames[0];
}

bool TBankLogin::Execute() {
    auto fields = [this] {
        return RequestFields{
            {"CustTradeID", Settings.CustTradeID},
            {"CustMoneyPwd", Settings.CustMoneyPwd},
            {"TradeDate", TodayText()},
            {"TradeTime", NowText()},
        };
    };
    return Guarded([&] {
        // A value the wire cannot carry is refused before the old connection
        // is touched.
        if (!EncodeFrame("90001", fields())) return false;

        auto& client = SharedClient();
        if (client.connected()) client.disconnect();
        if (!ConnectTo(Settings.Host, Settings.Port, Settings.TimeOut)) return false;

        ActiveServer() = TLoginInfo{Settings.Host, Settings.Port, Settings.CustTradeID, Settings.TimeOut};
        // Date and time are taken when the body is built, after the connect.
        const auto frame = EncodeFrame("90001", fields());
        return frame && Exchange(*frame);
    });
}

}  // namespace vantrel
