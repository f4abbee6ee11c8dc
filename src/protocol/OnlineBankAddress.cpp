#include "protocol/OnlineBankAddress.h"

#include "common/Md5.h"
#include "common/SafeFormat.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "common/WebAddress.h"

namespace vantrel {

Result<std::string> OnlineBankSignature(std::string_view orderId, std::string_view tradeId) {
    std::string joined(orderId);
    joined += tradeId;
    auto gbk = Utf8ToGbk(joined);
    if (!gbk) return Error{"online-banking signature: " + gbk.error()};
    return Md5HexUpper(*gbk);
}

Result<std::string> FillOnlineBankAddress(std::string_view pattern, std::string_view orderId,
                                          std::string_view tradeId) {
    if (orderId.empty()) return Error{"online-banking address: the middleware returned no order id"};
    // Without a trade number the signature would cover the order id alone.
    if (tradeId.empty()) return Error{"online-banking address: no trade number"};
    auto signature = OnlineBankSignature(orderId, tradeId);
    if (!signature) return Error{signature.error()};
    auto filled = Format(pattern, orderId, tradeId, *signature);
    if (!filled) return Error{"online-banking address: " + filled.error()};
    const std::string address = Trim(*filled);
    if (Status status = CheckBrowsableAddress(address); !status.ok())
        return Error{"online-banking address: " + status.error()};
    return address;
}

}  // namespace vantrel
