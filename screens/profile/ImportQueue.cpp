#include "ImportQueue.h"

#include "AppEnvironment.h"
#include "LocalImporter.h"
#include "Scheduler.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <optional>
#include <stdexcept>

namespace {

ImportQueue::ImportFile throughEnvironment()
{
    LocalImporter* importer = AppEnvironment::installedObjects().importer;
    return [importer](const QString& path) -> QFuture<void> {
        if (!importer)
            return QtFuture::makeExceptionalFuture<void>(std::make_exception_ptr(std::runtime_error("No importer")));
        return QFuture<void>(importer->importLocalFile(path));
    };
}

// The failure of a finished import, none when it succeeded.
std::optional<QString> failureOf(QFuture<void> finished)
{
    try {
        finished.waitForFinished();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
    return std::nullopt;
}

} // namespace

ImportQueue::ImportQueue(QObject* parent) : ImportQueue(throughEnvironment(), MainThreadScheduler::shared(), parent) {}

ImportQueue::ImportQueue(ImportFile importFile, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_importFile(std::move(importFile)), m_scheduler(scheduler)
{
}

ImportQueue::~ImportQueue()
{
    if (m_successClear)
        m_successClear->cancel();
    // The files not yet started are dropped with the queue; the one under way is left to the importer.
    for (qsizetype i = m_currentIndex; i < m_files.size(); ++i)
        removeCopy(m_files.at(i).toLocalFile());
}

void ImportQueue::startCopies(const QList<QUrl>& copies)
{
    if (m_isImporting) {
        for (const QUrl& copy : copies)
            QFile::remove(copy.toLocalFile());
        return;
    }
    begin(copies, true);
}

void ImportQueue::removeCopy(const QString& path) const
{
    if (m_filesAreCopies)
        QFile::remove(path);
}

void ImportQueue::start(const QList<QUrl>& files)
{
    if (!m_isImporting)
        begin(files, false);
}

void ImportQueue::begin(const QList<QUrl>& files, bool copies)
{
    if (files.isEmpty())
        return;
    setImporting(true);
    setImportError({});
    // A message of an earlier batch must not clear this one's.
    if (m_successClear)
        m_successClear->cancel();
    setImportSuccess({});
    m_files = files;
    m_filesAreCopies = copies;
    m_currentIndex = 0;
    m_errorLines.clear();
    m_succeeded = 0;
    emit progressChanged();
    importNext();
}

void ImportQueue::importNext()
{
    if (m_currentIndex == m_files.size())
        return finish();
    const QString path = m_files.at(m_currentIndex).toLocalFile();
    ++m_currentIndex;
    m_currentFile = QFileInfo(path).completeBaseName();
    emit progressChanged();
    // Destroying the queue drops the rest of the batch; the file under way completes in the importer.
    m_importFile(path).then(this, [this, path](QFuture<void> finished) {
        if (const std::optional<QString> failure = failureOf(finished))
            m_errorLines.append(QFileInfo(path).fileName() + QStringLiteral(": ") + *failure);
        else
            ++m_succeeded;
        removeCopy(path);
        importNext();
    });
}

void ImportQueue::finish()
{
    m_currentFile.clear();
    m_currentIndex = 0;
    m_files.clear();
    m_filesAreCopies = false;
    emit progressChanged();
    setImporting(false);
    if (m_errorLines.isEmpty()) {
        setImportSuccess(m_succeeded == 1 ? tr("Wallpaper imported successfully!")
                                          : tr("%1 wallpapers imported successfully!").arg(m_succeeded));
        m_successClear = m_scheduler.after(successDuration, [this] { setImportSuccess({}); });
    } else if (m_succeeded == 0) {
        setImportError(m_errorLines.join(u'\n'));
    } else {
        setImportError(QString::number(m_succeeded) + QStringLiteral(" imported, ") + QString::number(m_errorLines.size())
            + QStringLiteral(" failed:\n") + m_errorLines.join(u'\n'));
    }
}

void ImportQueue::setImporting(bool importing)
{
    if (m_isImporting == importing)
        return;
    m_isImporting = importing;
    emit isImportingChanged();
}

void ImportQueue::setImportError(const QString& text)
{
    if (m_importError == text)
        return;
    m_importError = text;
    emit importErrorChanged();
}

void ImportQueue::setImportSuccess(const QString& text)
{
    if (m_importSuccess == text)
        return;
    m_importSuccess = text;
    emit importSuccessChanged();
}
