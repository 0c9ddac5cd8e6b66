#pragma once

#include "DesktopLevelWindow.h"

// The window class of wallpaper windows. It adds nothing: it exists so that the
// application shell can tell wallpaper windows from its own by their type.
class DesktopWindow final : public DesktopLevelWindow
{
    Q_OBJECT

public:
    using DesktopLevelWindow::DesktopLevelWindow;
    ~DesktopWindow() override;
};
