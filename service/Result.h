#pragma once

#include "ServiceError.h"

#include <utility>
#include <variant>

// The value of an operation that has nothing to return but may fail.
struct Done
{
    bool operator==(const Done&) const = default;
};

// What an operation of the service client ends with: its value or its error.
template <typename T> class Result
{
public:
    using ValueType = T;

    Result(T value) : m_state(std::move(value)) { }
    Result(ServiceError error) : m_state(std::move(error)) { }
    Result(APIError error) : m_state(ServiceError(std::move(error))) { }
    Result(NetworkError error) : m_state(ServiceError(std::move(error))) { }
    Result(DecodingError error) : m_state(ServiceError(std::move(error))) { }
    Result(FileError error) : m_state(ServiceError(std::move(error))) { }
    Result(CloudError error) : m_state(ServiceError(std::move(error))) { }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    const ServiceError& error() const { return std::get<ServiceError>(m_state); }

    // The value passed through f, or the same error.
    template <typename F> auto map(F&& f) const& -> Result<std::invoke_result_t<F, const T&>>
    {
        if (!ok())
            return error();
        return std::forward<F>(f)(value());
    }

private:
    std::variant<T, ServiceError> m_state;
};
