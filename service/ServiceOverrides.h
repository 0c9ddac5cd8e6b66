#pragma once

#include <QUrl>

#include <optional>

// The environment variables that point Lanto at other outside services than
// the ones this build names: a local service, or a test's.
namespace ServiceOverrides {

// An address Lanto may send a session token or a sign-in to: https anywhere,
// plain http only on a loopback address (127.0.0.0/8, ::1, "localhost").
bool isAcceptable(const QUrl& url);

// The address in the variable when it is set, absolute and acceptable.
// Nothing when it is unset; a refused one is logged and gives nothing.
std::optional<QUrl> fromEnvironment(const char* variable);

} // namespace ServiceOverrides
