#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class SystemCommands;

// The "lanto" URL scheme on this desktop. The browser starts Lanto with the
// URL as its argument (an application entry names Lanto the handler of
// x-scheme-handler/lanto); only one Lanto runs per session, and a later launch
// hands its URLs, or its wish to see the window, to that one over the session
// bus and ends. Requests that come before the running Lanto can act on them
// (its window is built some time after the name is claimed) are held and
// delivered in order once it calls startDelivering(). Main thread.
class UrlSchemeHandler : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.lanto.mac.UrlScheme")

public:
    static inline const QString serviceName = QStringLiteral("com.lanto.mac");
    static inline const QString objectPath = QStringLiteral("/com/lanto/mac/UrlScheme");
    static inline const QString interfaceName = QStringLiteral("com.lanto.mac.UrlScheme");
    // What one hand-over may carry; the rest is dropped.
    static constexpr qsizetype maxURLs = 16;
    static constexpr qsizetype maxURLLength = 8192;
    // Hand-overs held before delivery starts; later ones are dropped.
    static constexpr qsizetype maxHeldRequests = 16;

    explicit UrlSchemeHandler(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~UrlSchemeHandler() override;

    // Takes the session's name for this process; false when another Lanto holds it or there is no bus.
    bool claim();

    // Hands the texts to the Lanto that holds the name; an empty list asks it
    // to bring its window forward. True when it took them.
    static bool handOff(const QDBusConnection& bus, const QStringList& urls);

    // The application entry that makes Lanto the scheme's handler, in
    // "applications" of the desktop's data folder, where xdg-open looks.
    static QString entryPath();
    // Writes the entry when it differs from what is there and, unless the
    // configuration folder's mimeapps.list names it the default handler
    // already, asks the desktop, through xdg-mime, to make it so. The failure's description, or none.
    static std::optional<QString> registerHandler(const QString& programPath, SystemCommands& commands);

    // Emits the held requests in the order they came, and every later one at once.
    void startDelivering();

public slots:
    // Called over the bus by a later launch.
    Q_SCRIPTABLE void Open(const QStringList& urls);

signals:
    void urlsReceived(const QStringList& urls);
    void reopenRequested();

private:
    void deliver(const QStringList& urls);

    QDBusConnection m_bus;
    bool m_claimed = false;
    bool m_delivering = false;
    QList<QStringList> m_held; // an empty list asks for the window
};
