#include "platform/xdg_document_opener.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace tunecrest {

bool TxdgDocumentOpener::OpenDocument(const std::string& fileName, std::string& error) {
    // Everything the child needs is prepared before fork.
    std::vector<char*> argv = {const_cast<char*>(Fprogram.c_str()), const_cast<char*>(fileName.c_str()), nullptr};
    int status_pipe[2];
    if (pipe2(status_pipe, O_CLOEXEC) != 0) {
        error = std::string("Cannot start ") + Fprogram + ": " + std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        error = std::string("Cannot start ") + Fprogram + ": " + std::strerror(errno);
        close(status_pipe[0]);
        close(status_pipe[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(argv[0], argv.data());
            // Tell the caller why the program did not start.
            const int code = errno;
            (void)!write(status_pipe[1], &code, sizeof code);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(status_pipe[1]);
    int childStatus = 0;
    while (waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; an errno arrives when it failed.
    int code = 0;
    ssize_t got;
    while ((got = read(status_pipe[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    close(status_pipe[0]);
    if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) {
        error = "Cannot start " + Fprogram;
        return false;
    }
    if (got == sizeof code) {
        error = "Cannot start " + Fprogram + ": " + std::strerror(code);
        return false;
    }
    return true;
}

void InstallXdgDocumentOpener() { SetDocumentOpener(std::make_shared<TxdgDocumentOpener>()); }

}  // namespace tunecrest
