#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What lanto-service was asked to do:
//   lanto-service [--port N] [--data DIR] [--records N] [--auto-review SECONDS]
//                 [--appcast-version V] [--appcast-build B] [--media-cache DIR]
//   lanto-service [--data DIR] review ID approve|reject
struct ServiceCommandLine
{
    quint16 port = 0; // 0: a free one
    QString dataFolder;
    int records = 0;
    std::optional<int> autoReviewSeconds;
    QString appcastVersion = QStringLiteral("0.1.0");
    QString appcastBuild = QStringLiteral("1");
    QString mediaCache;
    // Only make the sample files missing from the media cache, then end.
    bool makeSamples = false;
    // Set for the review command: the submission and whether it is approved.
    std::optional<QString> reviewId;
    bool approve = false;

    // The arguments read, or the reason they cannot be (usage included).
    static std::optional<ServiceCommandLine> parse(const QStringList& arguments, QString* error);
    // "lanto-service" in the user's data folder.
    static QString defaultDataFolder();
};
