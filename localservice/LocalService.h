#pragma once

#include "Accounts.h"
#include "Catalogue.h"
#include "LocalHttpServer.h"
#include "MediaStore.h"
#include "ServiceStore.h"
#include "Submissions.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// The web service on this machine: its store and files in one data folder,
// and the HTTP answers of its API, its sign-in pages, its files and its
// update feed.
class LocalService : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString dataFolder;
        // The database; empty: "lanto-service.sqlite" in the data folder.
        QString databaseFile = QString();
        // What the update feed offers.
        QString appcastVersion = QStringLiteral("0.1.0");
        QString appcastBuild = QStringLiteral("1");
        // What one client may ask of the HTTP side: connections, sizes and times.
        GuardedTcpServer::Limits limits = LocalHttpServer::defaultLimits();
        // How full the data folder's volume is.
        DiskFloor::SpaceQuery diskSpace = DiskFloor::volumeSpace;
    };

    explicit LocalService(const Options& options, QObject* parent = nullptr);
    ~LocalService() override;

    // The data folder's database opened and its tables in place.
    bool isReady() const { return m_store->isOpen(); }
    QString errorText() const { return m_store->errorText(); }

    // Port 0 takes a free one; 0 when it cannot listen.
    quint16 listen(quint16 port);
    QString origin() const { return m_server->origin(); }

    ServiceStore& store() { return *m_store; }
    Accounts& accounts() { return m_accounts; }
    Catalogue& catalogue() { return m_catalogue; }
    Submissions& submissions() { return m_submissions; }
    MediaStore& media() { return m_media; }

    ServiceReply answer(const ServiceRequest& request);

    // The signed-in user of a request, or 401.
    Checked<QString> signedInUser(const ServiceRequest& request) const;

private:
    std::optional<ServiceReply> answerAccount(const ServiceRequest& request);
    std::optional<ServiceReply> answerCatalogue(const ServiceRequest& request);
    std::optional<ServiceReply> answerSubmission(const ServiceRequest& request);
    std::optional<ServiceReply> answerPage(const ServiceRequest& request);
    std::optional<ServiceReply> answerFile(const ServiceRequest& request);
    bool maySee(const ServiceRequest& request, const QString& mediaId) const;

    const Options m_options;
    std::unique_ptr<ServiceStore> m_store;
    MediaStore m_media;
    Accounts m_accounts;
    Catalogue m_catalogue;
    Submissions m_submissions;
    LocalHttpServer* m_server;
    QTimer m_housekeeping;
};

// A JSON object body read as a record, or 400.
template <typename T> Checked<T> recordFromBody(const ServiceRequest& request);
