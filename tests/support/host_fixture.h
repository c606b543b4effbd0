// host_fixture.h: the GoogleTest fixture every host-facing test starts from: a clean host
// before the test, and after it the checks that hold for every call in this codebase —
// nothing left open, no iterator left alive, no host misuse recorded.
#pragma once

#include <gtest/gtest.h>
#include <host_test/host_test.h>

#include <sstream>

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host_test::reset_host(); }
    void TearDown() override {
        expect_host_clean();
        host_test::reset_host();
    }

    // Nothing open, no live iterator, no misuse: the invariant after any exported call.
    static void expect_host_clean() {
        EXPECT_EQ(host_test::open_object_count(), 0) << join(host_test::open_object_descriptions());
        EXPECT_EQ(host_test::live_iterator_count(), 0);
        EXPECT_TRUE(host_test::host_violations().empty()) << join(host_test::host_violations());
    }

    static std::string join(const std::vector<std::string>& lines) {
        std::ostringstream out;
        for (const auto& line : lines) out << line << "\n";
        return out.str();
    }
};
