#include "common/Result.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

Result<int> ParsePositive(int n) {
    if (n <= 0) return Error{"not positive"};
    return n;
}

TEST(Result, CarriesValueOrFailure) {
    auto good = ParsePositive(3);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good.value(), 3);
    EXPECT_TRUE(good.error().empty());

    auto bad = ParsePositive(-1);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.error(), "not positive");
    EXPECT_EQ(bad.valueOr(7), 7);

    Status failed = Error{"disk full"};
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), "disk full");
    EXPECT_TRUE(Status::success().ok());
}

}  // namespace
}  // namespace vantrel
