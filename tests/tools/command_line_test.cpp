// The command line as an engineer types it: options before or after the command, --version,
// "--" before arguments that look like options, a module named by its bare file name,
// unknown commands, and describe for every exported function.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>

#include "function_docs.h"
#include "function_table.h"
#include "tool_runner.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Json = nlohmann::ordered_json;

TEST(CommandLine, GlobalOptionsStandBeforeOrAfterTheCommand) {
    for (const char* line :
         {"--json report $S", "report --json $S", "report $S --json", "--format json report $S",
          "--module " KORV_MODULE_FILE " --json report $S",
          "report $S --module " KORV_MODULE_FILE " --format json"}) {
        const ToolRun run = run_line(line);
        ASSERT_EQ(run.exit_code, 0) << line << "\n" << run.err;
        EXPECT_EQ(Json::parse(run.out)["counts"]["columns"], 26) << line;
    }
    const ToolRun query = run_line("--json query $S KORVget_new_column_name");
    ASSERT_EQ(query.exit_code, 0) << query.err;
    EXPECT_EQ(Json::parse(query.out)["calls"][0]["returned"], "C105");

    const ToolRun version = run_line("--version");
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_THAT(version.out, StartsWith("korv-inventory "));
}

TEST(CommandLine, ArgumentsAfterADoubleDashAreTakenAsTyped) {
    // Only the upper bound holds the columns of the first storey and below: a lower bound
    // of -.5 keeps all of them.
    const ToolRun run =
        run_line("query $S KORVfind_columns_between_elevs true -- -.5 true 4 + get_new_beam_name");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("has_lower=true lower=-.5 has_upper=true upper=4\n"));
    EXPECT_THAT(run.out, HasSubstr("KORVget_new_beam_name\n  returned: B"));
}

TEST(CommandLine, AModuleNamedByItsBareFileNameIsLoadedFromTheFolder) {
    const std::filesystem::path module(KORV_MODULE_FILE);
    const ToolRun run =
        run_korv_inventory({"--module", module.filename().string(), "report", sample_drawing()},
                           {module.parent_path().string(), {}});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Inventories: 26 columns"));
}

TEST(CommandLine, UnknownNamesAreSuggestedAndListed) {
    const ToolRun command = run_line("reprot $S");
    EXPECT_EQ(command.exit_code, 2);
    EXPECT_EQ(command.err,
              "korv-inventory: unknown command reprot (did you mean report?); the commands "
              "are: report, query, list-functions, describe, draw, audit\n");
    const ToolRun kind = run_line("report --kind colums $S");
    EXPECT_EQ(kind.exit_code, 5);
    EXPECT_THAT(kind.err, HasSubstr("unknown kind colums (did you mean columns?); the kinds "
                                    "are: columns, beams, braces, walls"));
    const ToolRun function = run_line("describe find_underlying_colum");
    EXPECT_EQ(function.exit_code, 5);
    EXPECT_THAT(function.err, HasSubstr("(did you mean KORVfind_underlying_column?)"));
}

TEST(CommandLine, ListingFunctionsNeedsTheModule) {
    for (const char* line : {"--module /no/such/module.so list-functions",
                             "--module /no/such/module.so describe get_columns"}) {
        const ToolRun run = run_line(line);
        EXPECT_EQ(run.exit_code, 3) << line;
        EXPECT_EQ(run.err, "korv-inventory: no such module: /no/such/module.so\n");
    }
}

TEST(Describe, SaysWhatAFunctionDoesAndWritesWhere) {
    const ToolRun run = run_line("describe get_columns_with_filenames");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_THAT(run.out, StartsWith("KORVget_columns_with_filenames KIND\n  The columns of"));
    EXPECT_THAT(run.out, HasSubstr("  kind (integer, argument): -1: every column"));
    EXPECT_THAT(run.out, HasSubstr("  result (record list, output): appended to, never cleared"));
    EXPECT_EQ(run_line("list-functions KORVget_columns_with_filenames").out, run.out);

    const Json described = Json::parse(run_line("describe --json loadDwgReadOnly").out);
    EXPECT_EQ(described["parameters"][3]["name"], "copy_name");
    EXPECT_THAT(described["parameters"][3]["meaning"].get<std::string>(),
                StartsWith("written only when a copy was read"));
    EXPECT_THAT(run_line("describe find_columns_between_elevs").out,
                HasSubstr("tolerances: bounds are compared with a fixed 0.0001"));
}

TEST(Describe, EveryExportedFunctionAndEachOfItsParametersIsDescribed) {
    for (const korv_tool::ExportedFunction& function : korv_tool::exported_functions()) {
        const korv_tool::FunctionDoc* doc = korv_tool::function_doc(function.name);
        ASSERT_NE(doc, nullptr) << function.name;
        const Json described = korv_tool::description_json(function);
        for (const Json& parameter : described["parameters"])
            EXPECT_FALSE(parameter["meaning"].is_null()) << function.name << " " << parameter;
    }
}

TEST(ManPage, IsMadeFromTheHelpOfEveryCommand) {
    const std::string page = read_file(KORV_MAN_PAGE);
    EXPECT_THAT(page, StartsWith(".TH KORV\\-INVENTORY 1"));
    for (const char* command : {"REPORT", "QUERY", "LIST\\-FUNCTIONS", "DESCRIBE"})
        EXPECT_THAT(page, HasSubstr(std::string(".SH COMMAND ") + command)) << command;
    EXPECT_THAT(page, HasSubstr("7 a\nreference of a reported drawing not resolved"));
}

TEST(Readme, ShowsTheUsageExactlyAsTheProgramPrintsIt) {
    const std::string readme = read_file(std::string(KORV_SAMPLES_DIR) + "/../README.md");
    EXPECT_THAT(readme, HasSubstr("```\n" + run_line("--help").out + "```\n"));
}

TEST(Sweep, EveryExportAnswersOrExplainsWithoutAnInternalError) {
    const std::map<std::string, std::string> typed = {
        {"point", "0,0,0"},   {"vector", "0,0,1"}, {"flag", "false"},
        {"number", "0"},      {"integer", "0"},    {"object", "0"},
        {"member", "7"},      {"elevations", "4"}, {"guid", "3F2504E0-4F89-11D3-9A0C-0305E82C3301"},
        {"path", "none.dxf"}, {"text", "DWGNAME"}};
    for (const korv_tool::ExportedFunction& function : korv_tool::exported_functions()) {
        std::vector<std::string> line = {"query", "--json", sample_drawing(), function.name};
        for (const korv_tool::ParameterInfo& parameter : function.parameters) {
            if (parameter.source != korv_tool::ParameterSource::kArgument) continue;
            const auto found = typed.find(parameter.kind);
            line.push_back(found != typed.end() ? found->second : "0");
        }
        const ToolRun run = run_korv_inventory(line);
        EXPECT_TRUE(run.exit_code == 0 || run.exit_code == 5) << function.name << ": " << run.err;
        EXPECT_THAT(run.err, ::testing::Not(HasSubstr("internal error"))) << function.name;
        if (run.exit_code == 0) {
            EXPECT_TRUE(Json::accept(run.out)) << function.name;
        }
    }
}
