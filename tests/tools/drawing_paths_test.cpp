// Drawings as users name and keep them: non-ASCII names under every locale, text that is
// not valid UTF-8, folders that cannot be searched, symbolic link loops, references saved
// as DWG files or missing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>

#include "tool_runner.h"

using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(DrawingPaths, NonAsciiNamesOpenUnderEveryLocale) {
    TemporaryFolder folder;
    const std::filesystem::path named = copy_sample(folder.path() / "plans", "bâtiment é.dxf");
    const std::filesystem::path inside = copy_sample(folder.path() / "étage 2", "building.dxf");
    for (const char* locale : {"LC_ALL=C", "LC_ALL=C.UTF-8", "LC_ALL=POSIX"}) {
        for (const std::filesystem::path& drawing : {named, inside}) {
            const ToolRun run =
                run_korv_inventory({"report", "--json", drawing.string()}, {"", {locale}});
            ASSERT_EQ(run.exit_code, 0) << locale << " " << drawing << "\n" << run.err;
            EXPECT_EQ(Json::parse(run.out)["drawing"], drawing.string());
        }
    }
}

TEST(DrawingPaths, TextThatIsNotUtf8IsWrittenWithReplacementCharacters) {
    TemporaryFolder folder;
    const std::filesystem::path drawing = copy_sample(
        folder.path(), "building.dxf",
        [](std::string text) { return replaced(text, "\nCORE\n", "\nCO\xff\xfeRE\n"); });
    const ToolRun report = run_korv_inventory({"--json", "report", drawing.string()});
    ASSERT_EQ(report.exit_code, 0) << report.err;
    EXPECT_THAT(Json::parse(report.out)["references"][0]["name"].get<std::string>(),
                HasSubstr("\xef\xbf\xbd"));
    const ToolRun query =
        run_korv_inventory({"query", "--json", sample_drawing(), "KORVget_string_var", "\xff"});
    ASSERT_EQ(query.exit_code, 0) << query.err;
    EXPECT_EQ(Json::parse(query.out)["calls"][0]["arguments"]["name"], "\xef\xbf\xbd");
}

TEST(DrawingPaths, WhatStandsInTheWayIsNamed) {
    TemporaryFolder folder;
    const std::filesystem::path loop = folder.path() / "loop";
    std::filesystem::create_symlink(loop, loop);
    ToolRun run = run_korv_inventory({"report", loop.string()});
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_EQ(run.err,
              "korv-inventory: symbolic link loop: " + loop.string() + " leads back to itself\n");

    const std::filesystem::path locked = folder.path() / "locked";
    const std::filesystem::path drawing = copy_sample(locked);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all,
                                 std::filesystem::perm_options::add);
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    // As root every folder can be searched: run as nobody there.
    const std::string as_user =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string module = KORV_MODULE_FILE;
    run = run_program("/bin/sh", {"-c", as_user + "'" + KORV_INVENTORY_PROGRAM + "' --module '" +
                                            module + "' report '" + drawing.string() + "'"});
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(run.exit_code, 3) << run.err;
    EXPECT_EQ(run.err, "korv-inventory: permission denied: a folder on the way to " +
                           drawing.string() + " cannot be searched\n");
}

TEST(References, ADwgReferenceIsFoundAsTheDxfBesideIt) {
    TemporaryFolder folder;
    const std::filesystem::path drawing =
        copy_sample(folder.path(), "building.dxf",
                    [](std::string text) { return replaced(text, "core.dxf", "core.dwg"); });
    const ToolRun run = run_korv_inventory({"report", drawing.string()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, ::testing::ContainsRegex("CORE +core.dwg +resolved +2"));
    EXPECT_THAT(run.out, HasSubstr("Inventories: 26 columns"));
}

TEST(References, AnUnresolvedReferenceIsWarnedAboutWithItsOwnExitStatus) {
    TemporaryFolder folder;
    const std::filesystem::path drawing = copy_sample(folder.path());
    std::filesystem::remove(folder.path() / "core.dxf");
    const ToolRun run = run_korv_inventory({"report", "--json", drawing.string()});
    EXPECT_EQ(run.exit_code, 7);
    EXPECT_EQ(run.err, "korv-inventory: warning: " + drawing.string() +
                           ": reference CORE (core.dxf) is not resolved: file not found; its "
                           "objects are not in the report\n");
    EXPECT_EQ(Json::parse(run.out)["counts"]["columns"], 18);  // the stair's stay
}
