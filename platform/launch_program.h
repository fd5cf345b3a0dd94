#pragma once
// Starting helper programs: the program runs on by itself (its exit is collected in
// the background, so it never lingers as a zombie), and the caller does not wait.
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace tunecrest {

// Starts `program` with `args` in `workingFolder` (the caller's when empty). Returns
// the process id, or 0 with `error` filled when it could not be started. `onExit`, when
// given, is called with the wait status on the background thread that collects the exit.
pid_t LaunchProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingFolder = "", std::string* error = nullptr,
                    std::function<void(int status)> onExit = {});

// The folder of the running program.
std::string ProgramFolder();

// The first folder of PATH that holds an executable `name`, or empty.
std::string FindOnPath(const std::string& name);

}  // namespace tunecrest
