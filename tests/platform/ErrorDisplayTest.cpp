#include "Error.h"
#include "ErrorDisplay.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(RunHandler, ErrorsStopAtTheHandlerAndReachTheDisplay) {
    FakeDialogs dialogs;
    int steps = 0;
    EXPECT_FALSE(RunHandler([&] {
        ++steps;
        throw Error(A("Неверное целое число 'abc'"));
        ++steps;
    }));
    EXPECT_FALSE(RunHandler([] { throw std::runtime_error("plain"); }));
    EXPECT_FALSE(RunHandler([] { throw 42; }));
    EXPECT_TRUE(RunHandler([&] { ++steps; }));
    EXPECT_EQ(steps, 2);
    ASSERT_EQ(dialogs.errors.size(), 3u);
    EXPECT_EQ(dialogs.errors[0], A("Неверное целое число 'abc'"));
    EXPECT_EQ(dialogs.errors[1], "plain");
}

}  // namespace
