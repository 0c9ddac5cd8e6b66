#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Where the file choosers open: the user's Videos or Pictures folder when it
// exists, the home folder otherwise (never the working directory).
class ChooserFolders : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE static QUrl videos();
    Q_INVOKABLE static QUrl pictures();
};
