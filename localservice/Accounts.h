#pragma once

#include "APIModels.h"
#include "Refusal.h"

#include <QString>

#include <optional>

class ServiceStore;

// A stored address: those of the service's own files are kept as a path
// ("/files/..."), so they follow the port the service listens on.
QString addressBelow(const QString& origin, const QString& stored);

// The accounts: sign-in codes from the authorize page, their exchange for a
// session, the profile and its handle, and the creators of the catalogue.
class Accounts
{
public:
    explicit Accounts(ServiceStore& store) : m_store(store) { }

    // A single-use code for the account of that provider identity, valid ten
    // minutes; the display name names a new account. Empty on a store failure.
    QString issueSignInCode(const QString& appleUserID, const QString& name);

    enum class ExchangeFailure { unknownCode, storeFailed };
    // Spends a code: the account (made on first sign-in) and a new session token.
    std::optional<AuthCodeExchangeResponse> exchange(
        const QString& code, const QString& origin, ExchangeFailure* failure = nullptr);

    // The account a bearer token belongs to.
    std::optional<QString> userForToken(const QString& token) const;
    // Stored file addresses ("/files/...") come out below origin.
    std::optional<UserProfile> profile(const QString& userId, const QString& origin) const;

    // The longest texts a profile takes.
    static constexpr qsizetype maximumName = 80;
    static constexpr qsizetype maximumBio = 500;
    static constexpr qsizetype maximumLink = 300;

    // Applies the fields that are present, each checked first (the handle as
    // availability() does); why not, when it cannot.
    std::optional<Refusal> update(const QString& userId, const ProfileChanges& changes);

    // Whether a handle could be taken: its form, then whether someone has it.
    HandleAvailability availability(const QString& handle) const;

    // A catalogue creator without a sign-in identity (the sample catalogue's).
    bool addCreator(const QString& id, const QString& name, const QString& handle, const QString& avatarColor,
        bool verified, qint64 followers);

private:
    static std::optional<QString> formProblem(const QString& handle);
    static std::optional<QString> textProblem(const ProfileChanges& changes);

    ServiceStore& m_store;
};
