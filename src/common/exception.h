#pragma once
// Errors travel as exceptions that carry the class name the error reports show.
#include <stdexcept>
#include <string>

namespace common {

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

// A file-system failure with the system's error code; the message comes from IoErrorText.
class InOutError : public Exception {
public:
    explicit InOutError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

// "File not found", "File access denied", ..., "I/O error 87".
std::string IoErrorText(int code);

}  // namespace common
