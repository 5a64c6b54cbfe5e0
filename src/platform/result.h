#pragma once
// A small result type: a value, or the reason an operation failed together with
// the path it failed on. Core and platform functions return these instead of
// throwing or showing messages; the interface decides how to tell the user.

#include <cerrno>
#include <string>
#include <utility>
#include <variant>

namespace arbel {

struct Error {
    std::string path;     // the file the failure concerns (bytes as stored)
    int code = 0;         // errno value, 0 when the failure has no system cause
    std::string message;  // text for the user when code is 0; otherwise extra context

    // "path: reason", the system's reason taken from errno.
    std::string describe() const;
};

Error errnoError(std::string path, int code = errno);
std::string errnoText(int code);

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : failed_(true), error_(std::move(error)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }

private:
    bool failed_ = false;
    Error error_;
};

using Status = Result<void>;

}  // namespace arbel
