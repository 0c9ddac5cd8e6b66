#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Takes the files of a drop: those of an accepted kind are copied into the
// temporary folder as "<UUID>-<name>" off the main thread, and the copies are
// handed on together, on the main thread. The import strips that prefix from
// the title again; whoever takes the copies removes them (ImportQueue::startCopies).
class DroppedFiles : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit DroppedFiles(QObject* parent = nullptr);
    // Copies into directory instead of the temporary folder.
    DroppedFiles(QString directory, QObject* parent);

    // Whether a drag of these URLs is worth accepting: one of them is an accepted local file.
    Q_INVOKABLE static bool accepts(const QList<QUrl>& urls);
    // Copies the accepted files; copied() follows unless none was accepted.
    Q_INVOKABLE void take(const QList<QUrl>& urls);

    // The copy of one file: a failed copy is still named, so the import reports the missing file.
    static QUrl copyIntoFolder(const QString& source, const QString& directory);

signals:
    void copied(const QList<QUrl>& copies);

private:
    const QString m_directory;
};
