#pragma once

#include <QQuickWindow>

#include <memory>

// A borderless, transparent, click-through window in the desktop layer: beneath
// every application window, on every workspace, never in the taskbar, the pager
// or window cycling, never focused. Its content item hosts whatever it shows.
//
// On X11 it carries the desktop window type and the sticky state; on other
// window systems it falls back to a tool window that stays on the bottom.
class DesktopLevelWindow : public QQuickWindow
{
    Q_OBJECT

public:
    // Stacking bands, lowest first. The window system honours only the band;
    // the numbers are what callers record and log.
    static constexpr int desktopLevel = -1;
    static constexpr int normalLevel = 0;

    // A hidden window covering frame (global coordinates) on screen, at the desktop level.
    explicit DesktopLevelWindow(const QRect& frame = {}, QScreen* screen = nullptr);
    ~DesktopLevelWindow() override;

    int level() const { return m_level; }
    // Moves the window into the band of level; a level below normalLevel is the desktop layer.
    void setLevel(int level);

    // Shows the window and brings it to the front of its band. At the desktop
    // level the window manager keeps that band beneath every application window.
    void orderFront();
    // Hides the window; it keeps its contents and can be ordered front again.
    void orderOut();

    // Whether the window system shows the window: ordered front and exposed.
    // X11 does not tell a translucent window that others cover it (the server
    // redirects such windows), so covering windows do not count here.
    bool isOcclusionVisible() const;

    // Whether a full-screen window of another program covers the window's
    // display. Kept apart from isOcclusionVisible(): re-ordering the window
    // cannot bring it above a full-screen window.
    bool isCoveredByFullScreen() const { return m_coveredByFullScreen; }
    void setCoveredByFullScreen(bool covered);

signals:
    // isOcclusionVisible() or isCoveredByFullScreen() changed.
    void occlusionStateChanged();

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;

private:
    class X11Hints;

    Qt::WindowFlags flagsForLevel(int level) const;
    void updateOcclusionState();

    int m_level = desktopLevel;
    bool m_occlusionVisible = false;
    bool m_coveredByFullScreen = false;
    std::unique_ptr<X11Hints> m_x11;
};
