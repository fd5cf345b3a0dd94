#include "platform/launch_program.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace tunecrest {

pid_t LaunchProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingFolder, std::string* error,
                    std::function<void(int status)> onExit) {
    std::vector<std::string> argv;
    argv.push_back(program);
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (auto& a : argv) argp.push_back(a.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = 0;
    const int result = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argp.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        if (error) *error = program + ": " + std::strerror(result);
        return 0;
    }
    // Collects the exit status whenever the program ends.
    std::thread([pid, onExit = std::move(onExit)] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (onExit) onExit(status);
    }).detach();
    return pid;
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && ::access((std::filesystem::path(folder) / name).c_str(), X_OK) == 0)
            return folder;
        start = end + 1;
    }
    return {};
}

}  // namespace tunecrest
