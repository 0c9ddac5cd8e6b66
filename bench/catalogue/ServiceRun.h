#pragma once

#include "APIWallpaper.h"

#include <QList>
#include <QString>

#include <optional>

// The catalogue of a local lanto-service started with --records, fetched
// through the real client as the category pages deliver it.
struct ServiceCatalogue
{
    QList<APIWallpaper> records;
    double fetchMilliseconds = 0; // every page of every category, requests included
};

// Where lanto-service is in this build (or LANTO_SERVICE_PROGRAM); empty when it is not.
QString serviceProgram();
// Starts the service with its data in dataFolder (kept between runs: its first start
// makes the sample files), fetches every category, and stops it. Nothing on failure,
// with the reason printed.
std::optional<ServiceCatalogue> fetchFromService(const QString& program, const QString& dataFolder, int records);
