#pragma once

#include <QString>

#include <optional>

// What the library reads of the signed-in account.
struct SignedInAccount
{
    std::optional<QString> profileId;
    std::optional<QString> displayName;
    std::optional<QString> avatarUrl;
};

// The account service as the library sees it. Main thread.
class AccountSource
{
public:
    virtual ~AccountSource() = default;

    // Empty fields while signed out.
    virtual SignedInAccount currentAccount() const = 0;
};
