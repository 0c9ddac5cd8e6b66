#include "DesktopWindow.h"

DesktopWindow::~DesktopWindow() = default;
