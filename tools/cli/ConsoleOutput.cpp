#include "ConsoleOutput.h"

#include <cstring>
#include <iostream>
#include <memory>

#include "common/TextCodec.h"

#ifdef _WIN32
#include "common/Win32.h"

#include "common/WideText.h"
#endif

namespace vantrel::cli {

Utf8PieceBuffer::Utf8PieceBuffer(Sink sink) : sink_(std::move(sink)) {}

Utf8PieceBuffer::~Utf8PieceBuffer() { deliver(true); }

Utf8PieceBuffer::int_type Utf8PieceBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    if (c == '\n') deliver(false);
    return c;
}

std::streamsize Utf8PieceBuffer::xsputn(const char* text, std::streamsize count) {
    const auto size = static_cast<std::size_t>(count);
    pending_.append(text, size);
    if (std::memchr(text, '\n', size)) deliver(false);
    return count;
}

int Utf8PieceBuffer::sync() {
    deliver(false);
    return 0;
}

void Utf8PieceBuffer::deliver(bool everything) {
    std::size_t end = pending_.size();
    if (!everything) {
        // Hold back the start of a character whose other bytes are still to come.
        std::size_t pos = 0;
        while (pos < pending_.size()) {
            if (auto cp = DecodeUtf8At(pending_, pos)) {
                pos += cp->length;
                continue;
            }
            const auto lead = static_cast<unsigned char>(pending_[pos]);
            const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
            if (needed > 0 && pos + needed > pending_.size()) {
                bool prefix = true;
                for (std::size_t i = pos + 1; i < pending_.size(); ++i)
                    prefix = prefix && (static_cast<unsigned char>(pending_[i]) & 0xC0) == 0x80;
                if (prefix) {
                    end = pos;
                    break;
                }
            }
            ++pos;  // not UTF-8: passed on as it is
        }
    }
    if (end == 0) return;
    sink_(std::string_view(pending_).substr(0, end));
    pending_.erase(0, end);
}

#ifdef _WIN32

struct ConsoleUtf8Output::Stream {
    Stream(std::ostream& stream, HANDLE console)
        : stream(stream),
          buffer([console](std::string_view utf8) {
              const std::wstring wide = WideFromUtf8(utf8);
              DWORD written = 0;
              WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
          }),
          previous(stream.rdbuf(&buffer)) {}
    ~Stream() {
        stream.flush();
        stream.rdbuf(previous);
    }
    std::ostream& stream;
    Utf8PieceBuffer buffer;
    std::streambuf* previous;
};

namespace {

HANDLE ConsoleOf(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

ConsoleUtf8Output::ConsoleUtf8Output() {
    if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) out_ = std::make_unique<Stream>(std::cout, console);
    if (HANDLE console = ConsoleOf(STD_ERROR_HANDLE)) err_ = std::make_unique<Stream>(std::cerr, console);
}

ConsoleUtf8Output::~ConsoleUtf8Output() {
    err_.reset();
    out_.reset();
}

#endif

}  // namespace vantrel::cli
