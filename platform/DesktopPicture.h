#pragma once

#include "Displays.h"

#include <QString>
#include <QUrl>

#include <optional>

// How a desktop picture fills its display. Unset options are left to the system.
struct DesktopPictureOptions
{
    static constexpr int scaleProportionallyUpOrDown = 3;

    std::optional<int> imageScaling;
    std::optional<bool> allowClipping;

    bool operator==(const DesktopPictureOptions&) const = default;
};

// The system's own desktop picture of each display.
class DesktopPicture
{
public:
    virtual ~DesktopPicture() = default;

    // The display's picture; none when it has none.
    virtual std::optional<QUrl> desktopImageUrl(const ConnectedDisplay& display) const = 0;

    // Sets the display's picture, an existing local file. A file URL with an
    // empty path clears the display's picture. On failure returns false and
    // puts the reason into error, when given.
    virtual bool setDesktopImageUrl(
        const QUrl& url, const ConnectedDisplay& display, const DesktopPictureOptions& options, QString* error = nullptr)
        = 0;

    // Whether the URL asks for the picture to be cleared.
    static bool isClearingUrl(const QUrl& url) { return url.isEmpty() || (url.isLocalFile() && url.path().isEmpty()); }
};

// The pictures as a small JSON file in the user's config folder, keyed by
// display UUID, shared by both programs and read afresh at every call. A file
// that cannot be read or parsed counts as no pictures at all.
class FileDesktopPicture final : public DesktopPicture
{
public:
    FileDesktopPicture() = default;

    std::optional<QUrl> desktopImageUrl(const ConnectedDisplay& display) const override;
    bool setDesktopImageUrl(const QUrl& url, const ConnectedDisplay& display, const DesktopPictureOptions& options,
        QString* error = nullptr) override;

    // The options the display's picture was set with.
    DesktopPictureOptions desktopImageOptions(const ConnectedDisplay& display) const;

    // ".config/lanto/desktop-pictures.json" in the user's home folder.
    static QString filePath();
};
