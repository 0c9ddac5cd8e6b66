#pragma once

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

// The choices of the interface-language picker: the system's language (code
// "", no name of its own) first, then the twenty languages under their own names.
class LanguageListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum Role { CodeRole = Qt::UserRole + 1, NameRole };

    explicit LanguageListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row of a code; the system's row when the code is not offered.
    Q_INVOKABLE int indexOf(const QString& code) const;
};
