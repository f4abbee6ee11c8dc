#pragma once
// The one rule for addresses handed to the system browser: only http and https
// addresses with a host. The Qt side (IsBrowsableAddress in
// widgets/UserPrompts.h) calls this same function, so both accept exactly the
// same addresses.
#include "common/Result.h"

#include <string_view>

namespace vantrel {

// Checks `address` after trimming blanks and control bytes at both ends.
// Accepted: scheme http or https in any case, "//", an ASCII host name, an
// IPv4 or a bracketed IPv6 address, an optional port 0..65535, then a path,
// query and fragment of URL characters, %XX escapes or UTF-8 text. Refused,
// besides other schemes: a user name before the host (it hides the real host
// from the reader), blanks, control bytes, quotes, angle brackets, backslashes
// and invalid UTF-8 anywhere. The failure names the reason, for the log.
Status CheckBrowsableAddress(std::string_view address);

}  // namespace vantrel
