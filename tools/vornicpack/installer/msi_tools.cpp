#include "installer/msi_tools.h"

#include <algorithm>

#include "system/platform.h"
#include "texts/text_codec.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

#ifndef _WIN32
namespace {

// What the program said, on one line.
std::string oneLine(const Bytes& said) {
    std::string text(said.begin(), said.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace
#endif

#ifdef _WIN32
bool runMsiTool(const std::vector<std::string>& arguments, const fs::path&, std::string& error, const fs::path&) {
    error = arguments.front() + " (msitools) does not run on Windows";
    return false;
}
#else
bool runMsiTool(const std::vector<std::string>& arguments, const fs::path& log, std::string& error,
                const fs::path& output) {
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string logName = log.string(), outputName = output.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, logName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output.empty())
        posix_spawn_file_actions_adddup2(&actions, 2, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outputName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned == 0) waitpid(child, &status, 0);
    Bytes said;
    std::string ignored;
    readWholeFile(log, said, ignored);
    std::error_code code;
    fs::remove(log, code);
    if (spawned != 0) {
        error = "Installer=msi needs " + arguments.front() +
                " from msitools (Debian: apt-get install wixl msitools), which is not on PATH";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string text = oneLine(said);
        error = arguments.front() + " failed" + (text.empty() ? "" : ": " + text);
        return false;
    }
    return true;
}
#endif

bool exportMsiTable(const fs::path& package, const std::string& table, std::string& rows, std::string& error) {
    const fs::path out = fs::path(package).concat("." + table + ".idt"), log = fs::path(package).concat(".log");
    rows.clear();
    Bytes bytes;
    const bool read = runMsiTool({"msiinfo", "export", package.string(), table}, log, error, out) &&
                      readWholeFile(out, bytes, error);
    std::error_code code;
    fs::remove(out, code);
    if (!read) {
        error = "cannot read the " + table + " table of " + utf8Of(package) + ": " + error;
        return false;
    }
    rows.assign(bytes.begin(), bytes.end());
    return true;
}
