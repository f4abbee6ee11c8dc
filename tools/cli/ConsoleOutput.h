#pragma once
// Standard output and error on a Windows console. The C runtime takes the
// bytes it is given in its own code page, whatever the console's, so the
// client's UTF-8 would show as mojibake; the console gets UTF-16 through
// WriteConsoleW instead. A redirected stream keeps its UTF-8 bytes.
#include <functional>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace vantrel::cli {

// Collects what is written and hands it to the sink in pieces of whole UTF-8
// characters: at each line end, on flush, and all that is left at the end. A
// character cut by the writer waits for its other bytes; a byte that cannot
// start or continue a character is passed on (the sink shows it as U+FFFD).
class Utf8PieceBuffer : public std::streambuf {
public:
    using Sink = std::function<void(std::string_view)>;
    explicit Utf8PieceBuffer(Sink sink);
    ~Utf8PieceBuffer() override;
    Utf8PieceBuffer(const Utf8PieceBuffer&) = delete;
    Utf8PieceBuffer& operator=(const Utf8PieceBuffer&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void deliver(bool everything);

    Sink sink_;
    std::string pending_;
};

#ifdef _WIN32
// While it lives, std::cout and std::cerr write to the console as UTF-16
// when they are attached to one.
class ConsoleUtf8Output {
public:
    ConsoleUtf8Output();
    ~ConsoleUtf8Output();
    ConsoleUtf8Output(const ConsoleUtf8Output&) = delete;
    ConsoleUtf8Output& operator=(const ConsoleUtf8Output&) = delete;

private:
    struct Stream;
    std::unique_ptr<Stream> out_;
    std::unique_ptr<Stream> err_;
};
#endif

}  // namespace vantrel::cli
