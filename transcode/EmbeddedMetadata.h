#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Catalogue information a video may carry as JSON in its user comment.
// Every field is optional; only the category is used by the library.
struct EmbeddedMetadata
{
    std::optional<QString> series;
    std::optional<QStringList> characters;
    std::optional<QString> medium;
    std::optional<QStringList> themes;
    std::optional<QString> category;

    // A JSON object with those keys; other keys are ignored, a missing key or a
    // null gives an absent field. Absent when the text is not such an object or a
    // field has the wrong type.
    static std::optional<EmbeddedMetadata> fromJson(const QByteArray& json);

    friend bool operator==(const EmbeddedMetadata&, const EmbeddedMetadata&) = default;
};
