#pragma once

#include "DesktopLevelWindow.h"

#include <QMap>
#include <QString>

#include <map>
#include <memory>

class DesktopImageView;
struct ConnectedDisplay;

// The window class of wallpaper windows. It adds nothing: it exists so that the
// application shell can tell wallpaper windows from its own by their type.
class DesktopWindow final : public DesktopLevelWindow
{
    Q_OBJECT

public:
    using DesktopLevelWindow::DesktopLevelWindow;
    ~DesktopWindow() override;
};

// A wallpaper window and the image view that is its content.
struct DesktopWindowWithView
{
    std::unique_ptr<DesktopWindow> window;
    // Owned by the window's content item.
    DesktopImageView* imageView = nullptr;
};

// A program's wallpaper windows and their image views, by screen id.
using DesktopWindows = std::map<QString, std::unique_ptr<DesktopWindow>>;
using DesktopImageViews = QMap<QString, DesktopImageView*>;

// Takes the window and the image view stored under screenId out of the maps
// and closes the window, which goes off screen at once.
void closeDesktopWindow(DesktopWindows& windows, DesktopImageViews& imageViews, const QString& screenId);

// A hidden wallpaper window over the display, at the desktop level, holding an
// empty image view of the display's size. Both programs build theirs this way.
DesktopWindowWithView makeDesktopWindow(const ConnectedDisplay& display);
