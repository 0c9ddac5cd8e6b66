#include "DesktopWindow.h"

#include "DesktopImageView.h"
#include "Displays.h"
#include "Workspace.h"

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::place(const ConnectedDisplay& display)
{
    setGeometry(display.frame);
    m_displayPixelFrame = display.devicePixelFrame();
    updateCoveredByFullScreen();
}

void DesktopWindow::followFullScreenWindow(Workspace& workspace)
{
    m_workspace = &workspace;
    connect(&workspace, &Workspace::fullScreenWindowChanged, this, &DesktopWindow::updateCoveredByFullScreen);
    updateCoveredByFullScreen();
}

void DesktopWindow::updateCoveredByFullScreen()
{
    if (m_workspace)
        setCoveredByFullScreen(m_workspace->isCoveredByFullScreenWindow(m_displayPixelFrame));
}

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
    window->place(display);
    window->setLevel(DesktopLevelWindow::desktopLevel);
    // The content item takes the window's size only when the window is first shown.
    auto* imageView = new DesktopImageView(window->contentItem());
    imageView->setSize(display.frame.size());
    return { std::move(window), imageView };
}
