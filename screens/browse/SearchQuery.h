#pragma once

#include <QString>

// How the browsing screens read what the user typed into a search field.
namespace SearchQuery {

// The text without spaces and tabs at either end; line breaks stay.
QString trimmed(const QString& text);

// Whether text contains query, ignoring case and accents, the way a person
// reading both would match them.
bool containsLoosely(const QString& text, const QString& query);

} // namespace SearchQuery
