#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTimer>

#include <optional>

// One connected display.
struct ConnectedDisplay
{
    std::optional<quint32> number; // stands for "NSScreenNumber"; absent when the display lacks one
    QString localizedName;
    QRect frame; // global coordinates
    QString uuid; // display UUID, upper-case canonical text without braces
    QPointer<QScreen> screen; // backing QScreen; null for displays made up by tests
    // In device pixels of the window system, as it reports other programs'
    // windows (a full-screen one, say); null where those are the units of frame.
    QRect pixelFrame = QRect();

    QRect devicePixelFrame() const { return pixelFrame.isNull() ? frame : pixelFrame; }
    // A screen's frame in device pixels: Qt keeps an X11 screen's position in
    // device pixels and divides only its size by the scale.
    static QRect devicePixelFrame(const QRect& frame, qreal devicePixelRatio);
};

// The connected displays, the main one first.
class Displays : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QList<ConnectedDisplay> displays() const = 0;
    // The display with the menu bar's role; none when no display is connected.
    virtual std::optional<ConnectedDisplay> mainDisplay() const = 0;

signals:
    // Displays were added, removed or rearranged, or the main display changed.
    void displaysChanged();
};

// The number and UUID of a display, derived from what the display reports.
struct DisplayIdentity
{
    quint32 number = 0;
    QString uuid;
};

// The real displays: the application's screens. Both programs, and every run,
// give a screen the same number and UUID, because the settings of both key
// per-display records by them.
class ScreenDisplays final : public Displays
{
    Q_OBJECT

public:
    // Needs a QGuiApplication.
    explicit ScreenDisplays(QObject* parent = nullptr);

    QList<ConnectedDisplay> displays() const override;
    std::optional<ConnectedDisplay> mainDisplay() const override;

    // A name-based UUID of the screen's name, manufacturer, model and serial
    // number, and a nonzero number taken from it. Changing this rule orphans
    // every stored per-display record.
    static DisplayIdentity identityFor(
        const QString& name, const QString& manufacturer, const QString& model, const QString& serialNumber);

private:
    void watch(QScreen* screen);

    // One display change shows up as several screen signals; observers hear of it once.
    QTimer m_changeTimer;
};
