// The buffer behind the Windows console output: it may only hand whole UTF-8
// characters to WriteConsoleW, or a character cut between two writes would
// show as two replacement marks.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ConsoleOutput.h"

namespace vantrel::cli {
namespace {

struct Recorded {
    std::vector<std::string> pieces;
    std::unique_ptr<Utf8PieceBuffer> buffer =
        std::make_unique<Utf8PieceBuffer>([this](std::string_view piece) { pieces.emplace_back(piece); });
    std::ostream stream{buffer.get()};
};

TEST(ConsoleOutput, ACharacterCutBetweenWritesWaitsForItsLastByte) {
    Recorded out;
    const std::string bank = "银行";  // two characters of three bytes each
    out.stream << "A" << bank.substr(0, 1) << std::flush;
    EXPECT_EQ(out.pieces, std::vector<std::string>{"A"});
    out.stream << bank.substr(1, 3) << std::flush;  // ends one byte into the second character
    EXPECT_EQ(out.pieces, (std::vector<std::string>{"A", bank.substr(0, 3)}));
    out.stream << bank.substr(4) << std::flush;
    EXPECT_EQ(out.pieces, (std::vector<std::string>{"A", bank.substr(0, 3), bank.substr(3)}));
}

TEST(ConsoleOutput, LinesGoOutAtTheirEndAndTheRestOnFlushOrAtTheEnd) {
    Recorded out;
    out.stream << "中国工商银行\t6222\n" << "没有";
    EXPECT_EQ(out.pieces, std::vector<std::string>{"中国工商银行\t6222\n"});
    out.stream.put('\n');
    EXPECT_EQ(out.pieces.back(), "没有\n");

    // At the end even a cut character goes out: nothing written is lost.
    out.stream << "x\xE4\xB8";
    out.buffer.reset();
    EXPECT_EQ(out.pieces.back(), "x\xE4\xB8");
}

TEST(ConsoleOutput, BytesThatAreNotUtf8AreNotHeldBack) {
    Recorded out;
    out.stream << "a\xFF" << "b\x80" << std::flush;  // no lead byte waits for these
    EXPECT_EQ(out.pieces, std::vector<std::string>{"a\xFF" "b\x80"});
    out.stream << "\xE4" "c" << std::flush;  // a lead byte followed by no continuation
    EXPECT_EQ(out.pieces.back(), "\xE4" "c");
}

}  // namespace
}  // namespace vantrel::cli
