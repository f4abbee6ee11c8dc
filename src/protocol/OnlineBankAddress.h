#pragma once
// The bank's address for an online deposit: the account's Url pattern (from
// the server, untrusted) filled with the order id, the trade number and their
// signature.
#include "common/Result.h"

#include <string>
#include <string_view>

namespace vantrel {

// What the customer is shown for any failure of FillOnlineBankAddress; the
// failure text itself is for the log.
inline constexpr const char* kNetBankAddressError = "网银地址配置错误!";

// MD5 over the GBK bytes of the order id immediately followed by the trade
// number, as 32 upper-case hex digits. GBK because that is what the wire and
// the bank speak, so the bank computes over the same bytes. Fails when the
// text has a character GBK cannot hold.
Result<std::string> OnlineBankSignature(std::string_view orderId, std::string_view tradeId);

// Fills `pattern` through the safe formatter with three texts: order id,
// trade number, signature (a pattern may use fewer). Fails on an empty order
// id or trade number, a pattern the formatter refuses (a non-text
// placeholder, more placeholders than three, a malformed one), and a result
// that is not an http/https address (CheckBrowsableAddress). The address is
// returned trimmed.
Result<std::string> FillOnlineBankAddress(std::string_view pattern, std::string_view orderId,
                                          std::string_view tradeId);

}  // namespace vantrel
