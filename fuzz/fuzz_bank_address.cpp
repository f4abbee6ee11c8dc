// Arbitrary bytes as an online-banking pattern, order id and trade number
// (three lines). Whatever the server sends, an address that comes out is a
// trimmed web address without blanks or control bytes, and the signature in
// it is 32 upper-case hex digits.
#include "common/WebAddress.h"
#include "protocol/OnlineBankAddress.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string_view NextLine(std::string_view& input) {
    const auto end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantrel;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view pattern = NextLine(input);
    const std::string_view order = NextLine(input);
    const std::string_view trade = input;

    (void)CheckBrowsableAddress(input);
    const auto signature = OnlineBankSignature(order, trade);
    if (signature) {
        Check(signature->size() == 32);
        for (char c : *signature) Check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    }
    const auto address = FillOnlineBankAddress(pattern, order, trade);
    if (!address) return 0;
    Check(signature.ok() && !order.empty() && !trade.empty());
    Check(CheckBrowsableAddress(*address).ok());
    for (char c : *address) Check(static_cast<unsigned char>(c) > 0x20 && c != 0x7F);
    std::string head = address->substr(0, 8);
    for (char& c : head)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    Check(head.rfind("http://", 0) == 0 || head == "https://");
    return 0;
}
