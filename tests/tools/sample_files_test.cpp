// samples/ is make-sample's output: regenerated into a temporary folder it is the same,
// byte for byte. When this fails after a deliberate change to the sample building or to
// the drawing writer, regenerate with: build/default/tools/make-sample samples
#include <gtest/gtest.h>

#include <algorithm>

#include "tool_runner.h"

TEST(SampleFiles, AreWhatMakeSampleWritesWhichSaysHowToUseIt) {
    TemporaryFolder folder;
    const ToolRun run = run_program(KORV_MAKE_SAMPLE_PROGRAM, {folder.path().string()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    for (const char* name : {"building.dxf", "core.dxf", "stair.dxf"}) {
        const std::string committed = read_file(std::filesystem::path(KORV_SAMPLES_DIR) / name);
        const std::string made = read_file(folder.path() / name);
        ASSERT_FALSE(made.empty()) << name;
        // The line where they part, for the failure message.
        const auto at = std::mismatch(committed.begin(), committed.end(), made.begin(), made.end());
        EXPECT_TRUE(committed == made)
            << name << " differs from make-sample's output at line "
            << 1 + std::count(committed.begin(), at.first, '\n')
            << "; regenerate with build/default/tools/make-sample samples";
    }
    const ToolRun usage = run_program(KORV_MAKE_SAMPLE_PROGRAM, {});
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_EQ(usage.err.rfind("usage: make-sample OUTPUT_DIR\n", 0), 0u) << usage.err;
}
