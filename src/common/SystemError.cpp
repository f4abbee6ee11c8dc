#include "common/SystemError.h"

#ifdef _WIN32
#include "common/WideText.h"

#include <string_view>
#endif

namespace vantrel {

std::string SystemErrorText(const std::error_code& ec) {
#ifdef _WIN32
    // Win32 and Winsock codes: the standard library's system category and
    // asio's own (asio is not included in the core's common part).
    const std::string_view category = ec.category().name();
    if (ec && (ec.category() == std::system_category() || category == "asio.system"))
        return WindowsErrorText(static_cast<unsigned long>(ec.value()));
#endif
    return ec.message();
}

}  // namespace vantrel
