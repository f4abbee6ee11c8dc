#pragma once
// The customer login: opens the connection to the chosen server and fixes
// the server of the whole login. Its answer rows are the signed accounts.
#include "protocol/TBankTransfer.h"

namespace vantrel {

class TBankLogin : public TBankTransfer {
public:
    explicit TBankLogin(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
};

}  // namespace vantrel
