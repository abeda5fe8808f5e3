// The runtime's exception family. Every error the system raises derives from
// Exception and carries only a message.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    void SetMessage(std::string m) { message_ = std::move(m); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A silent exception: the application's exception box does not show it.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

class EInvalidArgument : public Exception {
public:
    using Exception::Exception;
};

// An input/output failure carrying the Windows error code it came from.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    EInOutError(int code, std::string message) : Exception(std::move(message)), ErrorCode(code) {}
    int ErrorCode;
};

// The runtime's text for an I/O error code: 2 "File not found", 3 "Invalid filename",
// 4 "Too many open files", 5 "File access denied", 100 "Read beyond end of file",
// 101 "Disk full", 106 "Invalid numeric input", anything else "I/O error %d".
std::string InOutErrorMessage(int code);

// Raises EInOutError for the code (the runtime's InOutError check).
[[noreturn]] void RaiseInOutError(int code);
