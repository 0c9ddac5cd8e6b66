#include "DesktopWindow.h"

#include "DesktopImageView.h"
#include "Displays.h"

DesktopWindow::~DesktopWindow() = default;

DesktopWindowWithView makeDesktopWindow(const ConnectedDisplay& display)
{
    auto window = std::make_unique<DesktopWindow>(display.frame, display.screen.data());
    window->setLevel(DesktopLevelWindow::desktopLevel);
    // The content item takes the window's size only when the window is first shown.
    auto* imageView = new DesktopImageView(window->contentItem());
    imageView->setSize(display.frame.size());
    return { std::move(window), imageView };
}
