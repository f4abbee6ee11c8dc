#include "protocol/TBankLogin.h"

#include "protocol/FunctionCodes.h"
#include "protocol/Session.h"

namespace vantrel {

TBankLogin::TBankLogin(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    session.PacketKey = DefaultPacketKey;
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
        if (!EncodeFrame(FunctionCode::Login, fields())) return false;

        auto& client = session().SharedClient;
        // The old server's disconnect notice names the old server; the
        // connect notice names this one and this trade number.
        if (client.connected()) client.disconnect();
        session().ActiveServer =
            TLoginInfo{Settings.Host, Settings.Port, Settings.CustTradeID, Settings.TimeOut, Settings.Tls};
        if (!ConnectTo(Settings.Host, Settings.Port, Settings.TimeOut, Settings.Tls)) return false;

        // Date and time are taken when the body is built, after the connect.
        const auto frame = EncodeFrame(FunctionCode::Login, fields());
        return frame && Exchange(*frame);
    });
}

}  // namespace vantrel
