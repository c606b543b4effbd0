// tool_runner.h: runs the built command-line programs as a user would, in a folder of
// their own, and gives back what they wrote and how they exited.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct ToolRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// A fresh temporary folder, removed with everything in it at the end of the test.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "korv_tool_XXXXXX";
        path_ = mkdtemp(pattern.data());
    }
    ~TemporaryFolder() { std::filesystem::remove_all(path_, ignored_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::error_code ignored_;
};

inline std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string sample_drawing() {
    return std::string(KORV_SAMPLES_DIR) + "/building.dxf";
}

// A command line written as one string, split at spaces; "$S" stands for the sample.
inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;) result.push_back(word == "$S" ? sample_drawing() : word);
    return result;
}

// Where and how a program runs: its working folder (empty: the test's) and extra
// environment settings ("LC_ALL=C").
struct RunSettings {
    std::string folder;
    std::vector<std::string> environment;
};

// Runs program with the arguments (each quoted for the shell) with KORV_MODULE unset, so
// the program loads the module built with it unless a test says otherwise.
inline ToolRun run_program(const std::string& program, const std::vector<std::string>& arguments,
                           const RunSettings& settings = {}) {
    auto quoted = [](const std::string& word) {
        std::string text = "'";
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return text + "'";
    };
    TemporaryFolder folder;
    std::string command =
        settings.folder.empty() ? std::string() : "cd " + quoted(settings.folder) + " && ";
    command += "env -u KORV_MODULE";
    for (const std::string& setting : settings.environment) command += " " + quoted(setting);
    command += " " + quoted(program);
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " >" + quoted((folder.path() / "out").string()) + " 2>" +
               quoted((folder.path() / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(folder.path() / "out"),
            read_file(folder.path() / "err")};
}

inline ToolRun run_korv_inventory(const std::vector<std::string>& arguments,
                                  const RunSettings& settings = {}) {
    return run_program(KORV_INVENTORY_PROGRAM, arguments, settings);
}

// A copy of the sample building (with the drawings it references) in folder, the
// building's text passed through edit; gives the copy's path.
inline std::filesystem::path copy_sample(const std::filesystem::path& folder,
                                         const std::string& name = "building.dxf",
                                         std::string (*edit)(std::string) = nullptr) {
    std::filesystem::create_directories(folder);
    for (const char* referenced : {"core.dxf", "stair.dxf"})
        std::filesystem::copy_file(std::string(KORV_SAMPLES_DIR) + "/" + referenced,
                                   folder / referenced);
    const std::string text = read_file(sample_drawing());
    std::ofstream(folder / name, std::ios::binary) << (edit ? edit(text) : text);
    return folder / name;
}

inline ToolRun run_line(const std::string& line) {
    return run_korv_inventory(words(line));
}
