#pragma once
// A private virtual X display (Xvfb) for one test. The server chooses a free display
// number itself (-displayfd) and does not reset when its last client leaves, so a
// probe connection cannot take it away under the test. Its output goes to /dev/null
// and it is told to stop when the test process dies, however the test ends: a server
// left behind would hold the test runner's output open and stall the whole run.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/launch_program.h"

namespace tunecrest::test {

class TprivateXServer {
public:
    TprivateXServer() {
        const std::string folder = FindOnPath("Xvfb");
        if (folder.empty()) return;
        const std::string program = folder + "/Xvfb";
        int ready[2];
        if (::pipe(ready) != 0) return;
        const pid_t parent = ::getpid();
        Fpid = ::fork();
        if (Fpid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(1);  // the test died before this line
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::close(ready[0]);
            if (ready[1] != 3) {
                ::dup2(ready[1], 3);
                ::close(ready[1]);
            }
            const char* argv[] = {"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp",
                                  "-screen", "0", "640x480x24", nullptr};
            ::execv(program.c_str(), const_cast<char**>(argv));
            ::_exit(127);
        }
        ::close(ready[1]);
        if (Fpid < 0) {
            Fpid = 0;
            ::close(ready[0]);
            return;
        }
        // The server writes its display number once it accepts connections.
        std::string number;
        char c;
        while (::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(ready[0]);
        if (!number.empty()) Fname = ":" + number;
    }
    ~TprivateXServer() {
        if (Fpid > 0) {
            ::kill(Fpid, SIGTERM);
            ::waitpid(Fpid, nullptr, 0);
        }
    }
    TprivateXServer(const TprivateXServer&) = delete;
    TprivateXServer& operator=(const TprivateXServer&) = delete;

    // ":N", or empty when Xvfb is not installed or did not start.
    const std::string& Name() const { return Fname; }

private:
    pid_t Fpid = 0;
    std::string Fname;
};

}  // namespace tunecrest::test
