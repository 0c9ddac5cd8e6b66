#include "ServiceError.h"

using namespace Qt::Literals::StringLiterals;

QString APIError::description() const
{
    switch (m_case) {
    case Case::httpError:
        return "HTTP error "_L1 + QString::number(m_statusCode);
    case Case::serverError:
        return m_message;
    case Case::invalidResponse:
        break;
    }
    return u"Invalid response from server"_s;
}

NetworkError NetworkError::timedOut() { return { Code::timedOut, u"The request timed out."_s }; }

NetworkError NetworkError::cancelled() { return { Code::cancelled, u"cancelled"_s }; }

NetworkError NetworkError::fromReply(QNetworkReply::NetworkError error, const QString& text)
{
    switch (error) {
    case QNetworkReply::TimeoutError:
        return timedOut();
    case QNetworkReply::OperationCanceledError:
        return cancelled();
    case QNetworkReply::RemoteHostClosedError:
        return { Code::networkConnectionLost, text };
    case QNetworkReply::ConnectionRefusedError:
        return { Code::cannotConnectToHost, text };
    case QNetworkReply::HostNotFoundError:
        return { Code::cannotFindHost, text };
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return { Code::notConnectedToInternet, text };
    case QNetworkReply::SslHandshakeFailedError:
        return { Code::secureConnectionFailed, text };
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::TooManyRedirectsError:
        return { Code::redirectRefused, text };
    default:
        return { Code::other, text };
    }
}

bool NetworkError::isTransient() const
{
    switch (code) {
    case Code::timedOut:
    case Code::networkConnectionLost:
    case Code::cannotConnectToHost:
    case Code::cannotFindHost:
    case Code::notConnectedToInternet:
    case Code::secureConnectionFailed:
        return true;
    case Code::cancelled:
    case Code::redirectRefused:
    case Code::other:
        break;
    }
    return false;
}

QString ServiceError::description() const
{
    return std::visit(
        [](const auto& error) -> QString {
            if constexpr (std::is_same_v<std::decay_t<decltype(error)>, APIError>)
                return error.description();
            else
                return error.description;
        },
        m_error);
}
