#pragma once

#include <exception>
#include <string>

// The exception classes of the component layer: one class per kind of failure, each carrying the exact text
// the user is shown. Only the application's exception display catches them.

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Silent: the exception display shows nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& fileName) : EStreamError("Cannot open file " + fileName) {}
};

class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& fileName) : EStreamError("Cannot create file " + fileName) {}
};

class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};

// A write that failed or fell short, with the path and the system's reason.
class EWriteError : public EStreamError {
public:
    EWriteError(const std::string& fileName, const std::string& reason)
        : EStreamError("Cannot write file " + fileName + ": " + reason) {}
};

// The in-memory copy of a file (or an encoded picture) could not grow to the size it needs.
class EMemoryStreamError : public EStreamError {
public:
    EMemoryStreamError() : EStreamError("Out of memory while expanding memory stream") {}
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}

protected:
    using Exception::Exception;
};

class EOutOfResources : public EOutOfMemory {
public:
    EOutOfResources() : EOutOfMemory("Out of system resources") {}
};

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(int code) : EInvalidGraphic("JPEG error #" + std::to_string(code)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};

class EMathError : public Exception {
public:
    using Exception::Exception;
};

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
};

class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
};

class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
};
