#pragma once

#include <QString>

#include <optional>
#include <utility>

// Why the service turns a request down: the HTTP status and the error text
// its envelope carries.
struct Refusal
{
    int status = 400;
    QString message;
};

// A value, or the refusal that stands in its place.
template <typename T> class Checked
{
public:
    Checked(T value) : m_value(std::move(value)) { }
    Checked(Refusal refusal) : m_refusal(std::move(refusal)) { }

    explicit operator bool() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    const Refusal& refusal() const { return m_refusal; }

private:
    std::optional<T> m_value;
    Refusal m_refusal;
};
