#pragma once
// Permission checks that root passes by, made to hold for the tests whoever runs them:
// the body runs in a child process without root rights. As root, the child hands the
// test's folder to the unprivileged user "nobody" and becomes that user first; any
// other user runs the body as itself. The child makes its own GoogleTest checks and
// reports their verdict through its exit status.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace tunecrest::test {

enum class TwithoutRoot { Passed, Failed, Unavailable };

inline TwithoutRoot RunWithoutRoot(const std::filesystem::path& tree, const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child < 0) return TwithoutRoot::Unavailable;
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            std::error_code ec;
            for (auto it = std::filesystem::recursive_directory_iterator(tree, ec);
                 !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
                if (::lchown(it->path().c_str(), kNobody, kNobody) != 0) ::_exit(3);
            if (::lchown(tree.c_str(), kNobody, kNobody) != 0) ::_exit(3);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
            // A temporary folder below a private one cannot be reached by that user.
            if (::access(tree.c_str(), R_OK | W_OK | X_OK) != 0) ::_exit(3);
        }
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return TwithoutRoot::Failed;
    switch (WEXITSTATUS(status)) {
        case 0: return TwithoutRoot::Passed;
        case 3: return TwithoutRoot::Unavailable;
        default: return TwithoutRoot::Failed;
    }
}

}  // namespace tunecrest::test
