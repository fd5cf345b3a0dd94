#pragma once
// Permission checks that root passes by, made to hold for the tests whoever runs them:
// the body runs in a fresh process of its own (support/fresh_process.h) without root
// rights. As root, that process hands the test's folder `tree` to the unprivileged user
// "nobody" and becomes that user first; any other user runs the body as itself. The body
// works on the child's own copy of what the test made before the call, makes its own
// GoogleTest checks there, and the child reports their verdict through its exit status.
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/fresh_process.h"

namespace tunecrest::test {

enum class TwithoutRoot { Passed, Failed, Unavailable };

inline TwithoutRoot RunWithoutRoot(const std::filesystem::path& tree, const std::function<void()>& body) {
    constexpr int kUnavailable = 3;
    const TfreshProcess child = RunInFreshProcess([&] {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            std::error_code ec;
            for (auto it = std::filesystem::recursive_directory_iterator(tree, ec);
                 !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
                if (::lchown(it->path().c_str(), kNobody, kNobody) != 0) return kUnavailable;
            if (ec || ::lchown(tree.c_str(), kNobody, kNobody) != 0) return kUnavailable;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                ::setresuid(kNobody, kNobody, kNobody) != 0)
                return kUnavailable;
            // A temporary folder below a private one cannot be reached by that user.
            if (::access(tree.c_str(), R_OK | W_OK | X_OK) != 0) return kUnavailable;
        }
        body();
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    if (child.Exited(0)) return TwithoutRoot::Passed;
    if (child.Exited(kUnavailable)) return TwithoutRoot::Unavailable;
    ADD_FAILURE() << "the part run without root rights failed:\n" << child.Output;
    return TwithoutRoot::Failed;
}

}  // namespace tunecrest::test
