#pragma once

// Qt's own dialogs ignore the desktop's file-chooser portal unless the portal
// platform theme is asked for before the application object exists. When the
// session runs a portal and the user chose no theme, ask for it: file dialogs
// then come from the desktop, and Qt Quick's dialog stays the fallback.
namespace PortalFileChooser {
void preferWhenRunning();
}
