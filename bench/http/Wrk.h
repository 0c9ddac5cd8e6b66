#pragma once

#include <QString>

// One run of the wrk load generator and the figures it reports.
struct WrkResult
{
    double requestsPerSecond = 0;
    double bytesPerSecond = 0;
    double p99Milliseconds = 0;
    qint64 requests = 0;
    qint64 failures = 0; // socket errors and replies other than 2xx/3xx
    bool ran = false;
};

// Runs wrk against the URL with that many connections for the duration; with a
// script, each request is the one it builds.
WrkResult runWrk(const QString& url, int connections, int seconds, const QString& scriptPath = {});
