#pragma once

#include "ServiceCommandLine.h"

#include <QObject>

#include <memory>

class LocalService;
class QTimer;
class QTextStream;

// lanto-service as a whole: the review command, or the service started with
// its sample catalogue, its extra records and its automatic review.
class ServiceProgram : public QObject
{
    Q_OBJECT

public:
    explicit ServiceProgram(ServiceCommandLine commandLine, QObject* parent = nullptr);
    ~ServiceProgram() override;

    // Runs the review command, or starts the service (prints "listening on
    // <origin>" when it answers). The exit code when the program is done now,
    // nothing while the service runs.
    std::optional<int> start();

private:
    int review();
    // Makes the sample files the media cache lacks in a child process.
    bool makeSampleFilesApart(QString* error) const;
    void approveDue();

    const ServiceCommandLine m_commandLine;
    std::unique_ptr<LocalService> m_service;
    QTimer* m_reviewTimer = nullptr;
};
