#pragma once
// The system's failures: exceptions that carry the message text the user sees.
#include <stdexcept>
#include <string>

namespace tunecrest {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const std::string Message() const { return what(); }
};

}  // namespace tunecrest
