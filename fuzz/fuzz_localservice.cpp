// Raw bytes on one connection of the local service: its request guard, the
// HTTP server's parser, the router and every handler, over an in-memory
// store with a signed-in user (token "fuzz"), a draft "d0", a pending "p0" and
// a public wallpaper "a0" whose files are "/files/a0/content.mov" and so on.
#include "FuzzSupport.h"
#include "LocalService.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class Fixture
{
public:
    Fixture()
    {
        service = std::make_unique<LocalService>(LocalService::Options { folder.path(), u":memory:"_s });
        port = service->listen(0);
        FuzzSupport::check(service->isReady() && port != 0, "the service starts");
        ServiceStore& store = service->store();
        FuzzSupport::check(store.run(u"INSERT INTO users (id, name, created_at) VALUES ('f00d', 'Fuzz', 'now')"_s)
                && store.run(u"INSERT INTO sessions (token, user_id, created_at) VALUES ('fuzz', 'f00d', 'now')"_s),
            "the user is stored");
        for (const QString& status : { u"draft"_s, u"pending"_s, u"approved"_s })
            addWallpaper(status);
    }

    void addWallpaper(const QString& status)
    {
        WallpaperEntry entry;
        entry.id = status.left(1) + u'0';
        entry.ownerId = u"f00d"_s;
        entry.title = status;
        entry.type = u"video"_s;
        entry.category = u"space"_s;
        entry.width = entry.height = entry.fileSize = 8;
        entry.status = status;
        entry.mediaId = entry.id;
        bool stored = service->catalogue().add(entry);
        for (const auto& [slot, name] : { std::pair { u"content"_s, u"content.mov"_s },
                 { u"poster"_s, u"poster.png"_s }, { u"thumbnail"_s, u"thumbnail.jpg"_s } }) {
            stored = stored && service->media().writeFile(entry.id, name, "0123456789")
                && service->store().run(u"INSERT INTO media_files VALUES (?, ?, ?, 'video/quicktime', 10)"_s,
                    { entry.id, slot, name });
        }
        FuzzSupport::check(stored, "the wallpapers are stored");
    }

    // What the service may keep in its data folder: nothing else appears there.
    void checkFolder() const
    {
        for (const QString& name : QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            FuzzSupport::check(name == "media"_L1 || name == "uploads"_L1, "only media and uploads in the data folder");
    }

    QTemporaryDir folder;
    std::unique_ptr<LocalService> service;
    quint16 port = 0;
};

// A fresh service every few thousand inputs, so what earlier inputs stored
// does not pile up.
Fixture& fixture()
{
    static int argc = 1;
    static char name[] = "fuzz_localservice";
    static char* argv[] = { name, nullptr };
    // Never destroyed: the SQL driver's registry is gone before a static application would be.
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    static Fixture* fixture = nullptr;
    static int inputs = 0;
    Q_UNUSED(application);
    if (!fixture || ++inputs % 5000 == 0) {
        delete fixture;
        fixture = new Fixture;
    }
    return *fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fixture& f = fixture();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, f.port);
    FuzzSupport::check(client.waitForConnected(2000), "the service takes the connection");
    client.write(FuzzSupport::bytes(data, size));
    while (client.bytesToWrite() > 0 && client.waitForBytesWritten(2000)) { }
    // The client has said all it will: the service must answer what it can and close.
    ::shutdown(int(client.socketDescriptor()), SHUT_WR);
    const QDeadlineTimer deadline(5000);
    while (client.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
        client.readAll();
    }
    FuzzSupport::check(client.state() == QAbstractSocket::UnconnectedState, "the service closes the connection");
    f.checkFolder();
    return 0;
}
