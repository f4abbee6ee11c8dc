#pragma once
// The text of an operating-system error for messages and logs, in UTF-8.
// std::error_code::message() answers in the ANSI code page on Windows (GBK
// on a Chinese system), which would reach the UTF-8 program text as
// undecodable bytes.
#include <string>
#include <system_error>

namespace vantrel {

std::string SystemErrorText(const std::error_code& ec);

}  // namespace vantrel
