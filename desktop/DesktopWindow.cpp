#include "DesktopWindow.h"

#include "DesktopImageView.h"
#include "Displays.h"

DesktopWindow::~DesktopWindow() = default;

void closeDesktopWindow(DesktopWindows& windows, DesktopImageViews& imageViews, const QString& screenId)
{
    imageViews.remove(screenId);
    const auto found = windows.find(screenId);
    if (found == windows.end())
        return;
    const std::unique_ptr<DesktopWindow> window = std::move(found->second);
    windows.erase(found);
    window->close();
}

DesktopWindowWithView makeDesktopWindow(const ConnectedDisplay& display)
{
    auto window = std::make_unique<DesktopWindow>(display.frame, display.screen.data());
    window->setLevel(DesktopLevelWindow::desktopLevel);
    // The content item takes the window's size only when the window is first shown.
    auto* imageView = new DesktopImageView(window->contentItem());
    imageView->setSize(display.frame.size());
    return { std::move(window), imageView };
}
