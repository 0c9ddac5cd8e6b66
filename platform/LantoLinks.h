#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The "lanto" links Lanto is handed: as launch arguments, and later as text
// from another launch. Reading them has no side effects.
namespace LantoLinks {

inline const QString scheme = QStringLiteral("lanto");

// Whether the URL goes to the account service: its scheme is exactly "lanto".
bool isRouted(const QUrl& url);

// A URL handed over as text; absent when the text is empty or no valid URL.
std::optional<QUrl> fromHandedText(const QString& text);

// The launch arguments read as URLs: each after the program's own that is no option.
QList<QUrl> fromArguments(const QStringList& arguments);

} // namespace LantoLinks
