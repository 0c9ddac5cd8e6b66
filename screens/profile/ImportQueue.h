#pragma once

#include <QFuture>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>

class Scheduler;
class WorkItem;

// One batch of the user's files imported into the library, one after another,
// with the progress and the result the drop zone shows. A second batch while
// one runs is dropped. One for the application: a batch goes on when the user
// leaves the screen that started it. Main thread.
class ImportQueue : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY isImportingChanged)
    Q_PROPERTY(QString importError READ importError NOTIFY importErrorChanged)
    Q_PROPERTY(QString importSuccess READ importSuccess NOTIFY importSuccessChanged)
    // The file being imported, without its extension; empty when none.
    Q_PROPERTY(QString currentFile READ currentFile NOTIFY progressChanged)
    // 1-based position of that file and the batch's size; 0 when none.
    Q_PROPERTY(int currentIndex READ currentIndex NOTIFY progressChanged)
    Q_PROPERTY(int totalFiles READ totalFiles NOTIFY progressChanged)

public:
    // Imports one file; a failure is an exception whose what() the user reads.
    using ImportFile = std::function<QFuture<void>(const QString& path)>;

    static constexpr std::chrono::seconds successDuration { 3 };

    // Imports through the environment's importer, timed on the main thread.
    explicit ImportQueue(QObject* parent = nullptr);
    ImportQueue(ImportFile importFile, Scheduler& scheduler, QObject* parent = nullptr);
    ~ImportQueue() override;

    Q_INVOKABLE void start(const QList<QUrl>& files);
    // A batch of copies made for this import (a drop): each is removed once its
    // import has ended, and all of them when the batch is refused or dropped.
    Q_INVOKABLE void startCopies(const QList<QUrl>& copies);
    Q_INVOKABLE void dismissError() { setImportError({}); }

    bool isImporting() const { return m_isImporting; }
    QString importError() const { return m_importError; }
    QString importSuccess() const { return m_importSuccess; }
    QString currentFile() const { return m_currentFile; }
    int currentIndex() const { return m_currentIndex; }
    int totalFiles() const { return int(m_files.size()); }

signals:
    void isImportingChanged();
    void importErrorChanged();
    void importSuccessChanged();
    void progressChanged();

private:
    void begin(const QList<QUrl>& files, bool copies);
    void importNext();
    void removeCopy(const QString& path) const;
    void finish();
    void setImporting(bool importing);
    void setImportError(const QString& text);
    void setImportSuccess(const QString& text);

    ImportFile m_importFile;
    Scheduler& m_scheduler;
    bool m_isImporting = false;
    QString m_importError;
    QString m_importSuccess;
    QString m_currentFile;
    int m_currentIndex = 0;
    QList<QUrl> m_files;
    bool m_filesAreCopies = false;
    QStringList m_errorLines;
    int m_succeeded = 0;
    std::shared_ptr<WorkItem> m_successClear;
};
