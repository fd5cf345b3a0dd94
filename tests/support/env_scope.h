#pragma once
// An environment variable set for the life of the scope (unset for nullptr), put back after.
#include <cstdlib>
#include <optional>
#include <string>

namespace tunecrest::test {

class TenvScope {
public:
    TenvScope(const char* name, const char* value) : Fname(name) {
        if (const char* old = std::getenv(name)) Fold = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~TenvScope() {
        if (Fold) setenv(Fname, Fold->c_str(), 1);
        else unsetenv(Fname);
    }
    TenvScope(const TenvScope&) = delete;
    TenvScope& operator=(const TenvScope&) = delete;

private:
    const char* Fname;
    std::optional<std::string> Fold;
};

}  // namespace tunecrest::test
