#pragma once

#include "AccountSource.h"
#include "AuthService.h"

// The signed-in account as the library reads it, from the account service.
class AuthAccount final : public AccountSource
{
public:
    explicit AuthAccount(const AuthService& auth) : m_auth(auth) { }

    SignedInAccount currentAccount() const override
    {
        if (!m_auth.isSignedIn())
            return {};
        return { present(m_auth.profileId()), present(m_auth.displayName()), present(m_auth.avatarUrl()) };
    }

private:
    static std::optional<QString> present(const QString& text)
    {
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }

    const AuthService& m_auth;
};
