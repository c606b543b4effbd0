// samples/ is make-sample's output: regenerated into a temporary folder it is the same,
// byte for byte. When this fails after a deliberate change to the sample building or to
// the drawing writer, regenerate with: build/default/tools/make-sample samples
#include <gtest/gtest.h>

#include <sstream>

#include "tool_runner.h"

namespace {

// The first line where the two texts differ, for the failure message.
std::string first_difference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string line_a, line_b;
    for (int line = 1;; ++line) {
        const bool more_a = static_cast<bool>(std::getline(a, line_a));
        const bool more_b = static_cast<bool>(std::getline(b, line_b));
        if (!more_a && !more_b) return "same lines";
        if (!more_a || !more_b || line_a != line_b)
            return "line " + std::to_string(line) + ": committed '" + line_a + "', made '" +
                   line_b + "'";
    }
}

}  // namespace

TEST(SampleFiles, AreWhatMakeSampleWrites) {
    TemporaryFolder folder;
    const ToolRun run = run_program(KORV_MAKE_SAMPLE_PROGRAM, {folder.path().string()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    for (const char* name : {"building.dxf", "core.dxf", "stair.dxf"}) {
        const std::string committed = read_file(std::filesystem::path(KORV_SAMPLES_DIR) / name);
        const std::string made = read_file(folder.path() / name);
        ASSERT_FALSE(made.empty()) << name;
        EXPECT_TRUE(committed == made)
            << name << " differs from make-sample's output at " << first_difference(committed, made)
            << "; regenerate with build/default/tools/make-sample samples";
    }
}

TEST(SampleFiles, MakeSampleWithoutAFolderSaysHowToUseIt) {
    const ToolRun run = run_program(KORV_MAKE_SAMPLE_PROGRAM, {});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.err.rfind("usage: make-sample OUTPUT_DIR\n", 0), 0u) << run.err;
}
