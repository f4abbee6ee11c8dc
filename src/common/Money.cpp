#include "common/Money.h"

namespace vantrel {

Result<int64_t> YuanToCents(std::string_view yuan) {
    const std::string shown(yuan);
    if (yuan.empty()) return Error{"金额不能为空"};
    const auto point = yuan.find('.');
    const auto whole = yuan.substr(0, point);
    const auto fraction = point == std::string_view::npos ? std::string_view() : yuan.substr(point + 1);
    auto digitsOnly = [](std::string_view text) {
        return text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || !digitsOnly(whole) || !digitsOnly(fraction) ||
        (point != std::string_view::npos && fraction.empty()))
        return Error{"金额“" + shown + "”不是有效的数字（例如 100 或 100.50）"};
    if (fraction.size() > 2) return Error{"金额“" + shown + "”最多只能有两位小数"};

    // Leading zeros are harmless; what is left must fit the limit before
    // any arithmetic, so nothing can overflow.
    const auto significant = whole.find_first_not_of('0');
    const auto wholeDigits = significant == std::string_view::npos ? std::string_view() : whole.substr(significant);
    if (wholeDigits.size() > 9) return Error{"金额“" + shown + "”超过上限 999999999.99"};

    int64_t cents = 0;
    for (char c : wholeDigits) cents = cents * 10 + (c - '0');
    cents *= 100;
    if (!fraction.empty()) cents += (fraction[0] - '0') * 10;
    if (fraction.size() == 2) cents += fraction[1] - '0';
    if (cents <= 0) return Error{"金额必须大于零"};
    if (cents > kMaxAmountCents) return Error{"金额“" + shown + "”超过上限 999999999.99"};
    return cents;
}

std::string CentsText(int64_t cents) { return std::to_string(cents); }

}  // namespace vantrel
