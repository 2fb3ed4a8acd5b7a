// The Windows half of SysUtils.
#include <gtest/gtest.h>

#include <cmath>

#include "DateUtils.h"

namespace {

TEST(DateValues, TodayHasNoTimeOfDay) {
    TDateTime today = Date(), now = Now();
    EXPECT_EQ(today, std::floor(today));
    EXPECT_GE(now - today, 0);
    EXPECT_LT(now - today, 1.0001);
    EXPECT_GT(today, EncodeDate(2016, 1, 1));
}

}  // namespace
