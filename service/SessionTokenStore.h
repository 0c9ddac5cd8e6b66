#pragma once

#include <QString>

#include <optional>

// The session token the service issues at sign-in, kept as one generic-password
// item (service "com.lanto.mac", account "session-token"). Stateless: every call
// goes to the item, so a sign-out takes effect on the very next request.
namespace SessionTokenStore {

// The stored token; none when there is no item, it cannot be read, or it is not UTF-8.
std::optional<QString> load();
// Replaces the stored value in place, or creates the item; true when the item now holds the token.
bool save(const QString& token);
// Removes the item; nothing happens when there is none.
void remove();

} // namespace SessionTokenStore
