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

using namespace testing_support;

namespace {

TEST(UnhandledFailure, EndsInTheRuntimesErrorBoxWithItsNumber) {
    const struct {
        const char* what;
        std::function<void()> fail;
        std::string number;
        std::string description;
    } failures[] = {
        {"a run-time error",
         [] { throw platform::RuntimeError(platform::error::kFileNotFound, "C:\\x"); },
         "'53':", "File not found\r\nC:\\x"},
        {"a place refused",
         [] {
             throw platform::RuntimeError(platform::error::kPermissionDenied, "/x", 0,
                                          platform::Reason::OthersCanChange);
         },
         "'70':", "Permission denied\r\n/x can be changed by another user"},
        {"no memory left", [] { throw std::bad_alloc(); }, "'7':", "Out of memory"},
        {"a library's failure", [] { throw std::length_error("too long"); },
         "'51':", "Internal error"},
        {"anything else", [] { throw 42; }, "'51':", "Internal error"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        RecordingServices services;
        EXPECT_EQ(EndStatusOf([&] { platform::RunHandler(services, failure.fail); }),
                  platform::ExitStatus::Failure);
        ASSERT_EQ(services.Messages().size(), 1u);
        EXPECT_EQ(services.Messages()[0].title, "Project1");
        EXPECT_EQ(services.Messages()[0].text,
                  "Run-time error " + failure.number + "\r\n\r\n" + failure.description);
    }
}

TEST(UnhandledFailure, NoneWhenTheHandlerEndsTheProgramOrReturns) {
    RecordingServices services;
    EXPECT_EQ(EndStatusOf([&] {
                  platform::RunHandler(services,
                                       [&] { services.EndProgram(platform::ExitStatus::Success); });
              }),
              platform::ExitStatus::Success);
    EXPECT_EQ(platform::RunHandler(services, [] { return 3; }), 3);
    EXPECT_TRUE(services.Messages().empty());
}

}  // namespace
