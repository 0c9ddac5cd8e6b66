#pragma once

#include "DesktopLevelWindow.h"

#include <QMap>
#include <QPointer>
#include <QString>

#include <map>
#include <memory>

class DesktopImageView;
class Workspace;
struct ConnectedDisplay;

// The window class of wallpaper windows, so that the application shell can
// tell them from its own by their type. Each one knows its display's frame in
// device pixels, the units in which the window system reports full-screen windows.
class DesktopWindow final : public DesktopLevelWindow
{
    Q_OBJECT

public:
    using DesktopLevelWindow::DesktopLevelWindow;
    ~DesktopWindow() override;

    // Over the display, wherever it now lies.
    void place(const ConnectedDisplay& display);
    // Keeps the window told whether the workspace's full-screen window covers its display.
    void followFullScreenWindow(Workspace& workspace);

private:
    void updateCoveredByFullScreen();

    QRect m_displayPixelFrame;
    QPointer<Workspace> m_workspace;
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
