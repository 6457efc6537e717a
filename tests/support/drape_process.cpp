#include "support/drape_process.h"

#include <fcntl.h>
#include <spawn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace drape::test {

namespace {

std::string builtProgram(const char* name) {
    const char* bin = std::getenv("DRAPE_BIN_DIR");
    if (bin == nullptr) {
        return {};
    }
    const std::filesystem::path program = std::filesystem::path(bin) / name;
    return std::filesystem::exists(program) ? program.string() : std::string();
}

}  // namespace

std::string builtDrape() {
    return builtProgram("drape");
}

std::string builtDrape98() {
    return builtProgram("drape98");
}

pid_t spawnDrape(const std::string& program, const std::vector<std::string>& words,
                 std::vector<std::string> environment, const std::string& log) {
    for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            environment.push_back(std::string(name) + "=" + value);
        }
    }
    std::vector<std::string> arguments = {program};
    arguments.insert(arguments.end(), words.begin(), words.end());

    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (std::string& text : texts) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(error);
        return -1;
    }
    return pid;
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace drape::test
