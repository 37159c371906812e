// Built into the tests of both systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "tests/support/program_harness.h"

using ::testing::HasSubstr;
using namespace testing_support;

namespace {

TEST(UnhandledFailure, EndsInTheRuntimesErrorBoxWithItsNumber) {
    const struct {
        const char* what;
        std::function<void()> fail;
        std::string number;
        std::string description;
    } failures[] = {
        {"a run-time error", [] { throw platform::RuntimeError(53, "File not found"); },
         "'53':", "File not found"},
        {"no memory left", [] { throw std::bad_alloc(); }, "'7':", "Out of memory"},
        {"a library's failure", [] { throw std::length_error("too long"); },
         "'51':", "Internal error"},
        {"anything else", [] { throw 42; }, "'51':", "Internal error"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        const ProgramHarness harness;
        EXPECT_TRUE(EndsProgram([&] { platform::RunHandler(failure.fail); }));
        ASSERT_EQ(harness.Messages().size(), 1u);
        EXPECT_EQ(harness.Messages()[0].title, "Project1");
        EXPECT_THAT(harness.Messages()[0].text, HasSubstr("Run-time error " + failure.number));
        EXPECT_THAT(harness.Messages()[0].text, HasSubstr(failure.description));
    }
}

TEST(UnhandledFailure, NoneWhenTheHandlerEndsTheProgramOrReturns) {
    const ProgramHarness harness;
    EXPECT_TRUE(EndsProgram([] { platform::RunHandler([] { platform::EndProgram(); }); }));
    EXPECT_EQ(platform::RunHandler([] { return 3; }), 3);
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace
