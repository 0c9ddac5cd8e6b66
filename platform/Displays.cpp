#include "Displays.h"

#include <QGuiApplication>
#include <QHash>
#include <QUuid>

namespace {

// The namespace of our display UUIDs; fixed for good.
const QUuid displayNamespace(QStringLiteral("{4c616e74-6f44-4973-b070-6c6179730001}"));

const QChar separator(0x1f);

QString identityKey(const QString& name, const QString& manufacturer, const QString& model, const QString& serialNumber)
{
    return name + separator + manufacturer + separator + model + separator + serialNumber;
}

DisplayIdentity identityOfKey(const QString& key)
{
    const QUuid uuid = QUuid::createUuidV5(displayNamespace, key);
    DisplayIdentity identity;
    identity.number = uuid.data1 != 0 ? uuid.data1 : 1;
    identity.uuid = uuid.toString(QUuid::WithoutBraces).toUpper();
    return identity;
}

} // namespace

ScreenDisplays::ScreenDisplays(QObject* parent) : Displays(parent)
{
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(0);
    connect(&m_changeTimer, &QTimer::timeout, this, &Displays::displaysChanged);

    if (qGuiApp == nullptr)
        return;
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        m_changeTimer.start();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, &m_changeTimer, qOverload<>(&QTimer::start));
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &m_changeTimer, qOverload<>(&QTimer::start));
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens)
        watch(screen);
}

void ScreenDisplays::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, &m_changeTimer, qOverload<>(&QTimer::start));
}

QList<ConnectedDisplay> ScreenDisplays::displays() const
{
    QList<ConnectedDisplay> result;
    if (qGuiApp == nullptr)
        return result;

    // Two screens that report exactly the same still get distinct identities,
    // in the order the system lists them.
    QHash<QString, int> seen;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        QString key = identityKey(screen->name(), screen->manufacturer(), screen->model(), screen->serialNumber());
        const int occurrence = seen[key]++;
        if (occurrence > 0)
            key += separator + QString::number(occurrence);
        const DisplayIdentity identity = identityOfKey(key);

        ConnectedDisplay display;
        display.number = identity.number;
        // The model is what people call the display; the connector name stands in without one.
        display.localizedName = screen->model().trimmed().isEmpty() ? screen->name() : screen->model().trimmed();
        display.frame = screen->geometry();
        display.pixelFrame = ConnectedDisplay::devicePixelFrame(display.frame, screen->devicePixelRatio());
        display.uuid = identity.uuid;
        display.screen = screen;
        result.append(display);
    }
    return result;
}

QRect ConnectedDisplay::devicePixelFrame(const QRect& frame, qreal devicePixelRatio)
{
    return QRect(frame.topLeft(), (QSizeF(frame.size()) * devicePixelRatio).toSize());
}

std::optional<ConnectedDisplay> ScreenDisplays::mainDisplay() const
{
    const QScreen* primary = qGuiApp != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (primary == nullptr)
        return std::nullopt;
    const QList<ConnectedDisplay> all = displays();
    for (const ConnectedDisplay& display : all) {
        if (display.screen == primary)
            return display;
    }
    return std::nullopt;
}

DisplayIdentity ScreenDisplays::identityFor(
    const QString& name, const QString& manufacturer, const QString& model, const QString& serialNumber)
{
    return identityOfKey(identityKey(name, manufacturer, model, serialNumber));
}
