#pragma once
// Result<T>: a value or a failure text. Used wherever bad input is expected
// (configuration, wire data, user text) so that callers must look before use.
#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vantrel {

// A failure: one clear sentence for the log or the user.
struct Error {
    std::string message;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { assert(ok()); return std::get<T>(state_); }
    T& value() & { assert(ok()); return std::get<T>(state_); }
    T&& value() && { assert(ok()); return std::get<T>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    T valueOr(T fallback) const { return ok() ? std::get<T>(state_) : std::move(fallback); }

    // The failure text; empty for a success.
    const std::string& error() const {
        static const std::string none;
        return ok() ? none : std::get<Error>(state_).message;
    }

private:
    std::variant<T, Error> state_;
};

// Success or a failure text, for operations without a value.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Error error) : error_(std::move(error.message)) {}

    static Status success() { return {}; }
    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const {
        static const std::string none;
        return error_ ? *error_ : none;
    }

private:
    std::optional<std::string> error_;
};

}  // namespace vantrel
