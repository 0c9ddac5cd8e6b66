#pragma once

#include <QNetworkReply>
#include <QString>

#include <variant>

// A failure the service itself reported, or a reply that is not one.
class APIError
{
public:
    enum class Case { httpError, serverError, invalidResponse };

    static APIError httpError(int statusCode) { return APIError(Case::httpError, statusCode, {}); }
    static APIError serverError(const QString& message) { return APIError(Case::serverError, 0, message); }
    static APIError invalidResponse() { return APIError(Case::invalidResponse, 0, {}); }

    Case kind() const { return m_case; }
    int statusCode() const { return m_statusCode; } // httpError only
    QString message() const { return m_message; } // serverError only
    bool isHTTPError(int statusCode) const { return m_case == Case::httpError && m_statusCode == statusCode; }

    // "HTTP error 404", the server's message, or "Invalid response from server".
    QString description() const;

    bool operator==(const APIError&) const = default;

private:
    APIError(Case c, int statusCode, const QString& message) : m_case(c), m_statusCode(statusCode), m_message(message)
    {
    }

    Case m_case;
    int m_statusCode;
    QString m_message;
};

// A transfer that failed below HTTP: no connection, a time-out, a cancel.
struct NetworkError
{
    enum class Code {
        timedOut,
        networkConnectionLost,
        cannotConnectToHost,
        cannotFindHost,
        notConnectedToInternet,
        secureConnectionFailed,
        cancelled,
        redirectRefused,
        other,
    };

    Code code = Code::other;
    QString description;

    static NetworkError timedOut();
    static NetworkError cancelled();
    static NetworkError fromReply(QNetworkReply::NetworkError error, const QString& text);

    // Worth another attempt: the connection, not the request, was at fault.
    bool isTransient() const;

    bool operator==(const NetworkError&) const = default;
};

// A body that is not the record the caller asked for.
struct DecodingError
{
    QString description;
    bool operator==(const DecodingError&) const = default;
};

// A local file that could not be read or written.
struct FileError
{
    QString description;
    bool operator==(const FileError&) const = default;
};

// A wallpaper download the service refused, or could not start.
struct CloudError
{
    QString description; // "Failed to download wallpaper: " and the text

    static CloudError downloadFailed(const QString& text)
    {
        return { QStringLiteral("Failed to download wallpaper: ") + text };
    }
    bool operator==(const CloudError&) const = default;
};

// Whatever an operation of the service client can fail with.
class ServiceError
{
public:
    ServiceError(APIError error) : m_error(std::move(error)) { }
    ServiceError(NetworkError error) : m_error(std::move(error)) { }
    ServiceError(DecodingError error) : m_error(std::move(error)) { }
    ServiceError(FileError error) : m_error(std::move(error)) { }
    ServiceError(CloudError error) : m_error(std::move(error)) { }

    QString description() const;

    template <typename E> const E* as() const { return std::get_if<E>(&m_error); }
    bool isHTTPError(int statusCode) const
    {
        const APIError* api = as<APIError>();
        return api && api->isHTTPError(statusCode);
    }
    bool isTransient() const
    {
        const NetworkError* network = as<NetworkError>();
        return network && network->isTransient();
    }

    bool operator==(const ServiceError&) const = default;

private:
    std::variant<APIError, NetworkError, DecodingError, FileError, CloudError> m_error;
};
