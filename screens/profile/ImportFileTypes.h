#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The kinds of file the user may import, in the order they are tried: any
// movie, MPEG-4 movie, QuickTime movie, PNG, JPEG, HEIC, TIFF. The file chooser
// and the drop zone accept the same ones.
class ImportFileTypes : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QStringList nameFilters READ nameFilters CONSTANT)
    Q_PROPERTY(QStringList pictureFilters READ pictureFilters CONSTANT)

public:
    enum class Kind { movie, mpeg4Movie, quickTimeMovie, png, jpeg, heic, tiff };

    using QObject::QObject;

    // The first accepted kind the file is of, judged by its name and content as
    // the MIME database reads them; none for folders and every other file.
    static std::optional<Kind> kindOf(const QString& path);
    static bool isAccepted(const QString& path) { return kindOf(path).has_value(); }
    // The file chooser's filters: every accepted extension in one.
    static QStringList nameFilters();
    // The avatar chooser's filters: the pictures Qt can read.
    static QStringList pictureFilters();

private:
    static QString patternsFor(const QStringList& extensions);
};
