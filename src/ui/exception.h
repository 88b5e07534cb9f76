#pragma once
// Errors travel as exceptions that carry the class name the error reports show.
#include <stdexcept>
#include <string>

namespace ui {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message, const char* className = "Exception")
        : std::runtime_error(message), className_(className) {}
    const char* ClassName() const { return className_; }

private:
    const char* className_;
};

// "Not enough timers available" and the like.
class OutOfResources : public Exception {
public:
    explicit OutOfResources(const std::string& message) : Exception(message, "EOutOfResources") {}
};

// The class name an error report shows for any exception.
const char* ExceptionClassName(const std::exception& error);

// The text of the error box: the message with a full stop added when it does not end with one.
std::string WithFullStop(const std::string& message);

}  // namespace ui
