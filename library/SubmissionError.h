#pragma once

#include "ServiceError.h"

#include <QString>

#include <variant>

// Why a wallpaper cannot be submitted: a file of its folder is missing or
// unusable, or nobody is signed in. The description is what the user sees.
class SubmissionError
{
public:
    enum class Case { missingFiles, notSignedIn };

    static SubmissionError missingFiles(const QString& what) { return SubmissionError(Case::missingFiles, what); }
    static SubmissionError notSignedIn() { return SubmissionError(Case::notSignedIn, {}); }

    Case kind() const { return m_case; }
    // What is missing (missingFiles only).
    const QString& payload() const { return m_payload; }
    // "Missing files: " and the payload, or "You must be signed in to submit wallpapers".
    QString description() const;

    bool operator==(const SubmissionError&) const = default;

private:
    SubmissionError(Case c, QString payload) : m_case(c), m_payload(std::move(payload)) { }

    Case m_case;
    QString m_payload;
};

// What a submission ends with when it fails: its own error, or the service's
// failure passed on unchanged.
class SubmissionFailure
{
public:
    SubmissionFailure(SubmissionError error) : m_error(std::move(error)) { }
    SubmissionFailure(ServiceError error) : m_error(std::move(error)) { }

    QString description() const
    {
        return std::visit([](const auto& error) { return error.description(); }, m_error);
    }
    template <typename E> const E* as() const { return std::get_if<E>(&m_error); }

    bool operator==(const SubmissionFailure&) const = default;

private:
    std::variant<SubmissionError, ServiceError> m_error;
};
