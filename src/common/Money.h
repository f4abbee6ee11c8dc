#pragma once
// Amounts typed by the customer in yuan, and the whole cents the middleware
// takes. Parsing is exact decimal: no floating point touches the amount.
#include "common/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The largest amount a transfer may carry: 999999999.99 yuan.
inline constexpr int64_t kMaxAmountCents = 99'999'999'999;

// "100" -> 10000, "100.5" -> 10050, "0.29" -> 29. Digits with at most two
// decimals, greater than zero and at most kMaxAmountCents; no sign, no
// blanks, no exponent, no thousands separators. Anything else is an Error.
Result<int64_t> YuanToCents(std::string_view yuan);

// The whole number of cents as the middleware takes it ("29", "10000").
std::string CentsText(int64_t cents);

}  // namespace vantrel
