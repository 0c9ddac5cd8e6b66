#pragma once

#include <QByteArray>
#include <QString>

// Generic-password items, one per (service, account) pair, each a file that
// only its owner may read, in a folder that only its owner may enter, below
// the user's home. Every change replaces the item's file whole.
namespace Keychain {

enum class Status {
    success,
    itemNotFound,
    duplicateItem,
    failure, // the folder or file could not be read or written
};

// The item's bytes, or itemNotFound.
Status find(const QString& service, const QString& account, QByteArray* data);
// Replaces an existing item's bytes; itemNotFound when there is none.
Status update(const QString& service, const QString& account, const QByteArray& data);
// Creates the item; duplicateItem when it already exists.
Status add(const QString& service, const QString& account, const QByteArray& data);
// itemNotFound when there is nothing to remove.
Status remove(const QString& service, const QString& account);

// The folder that holds the items: "Library/Keychains" below the user's home.
QString directory();
// The file of one item inside directory().
QString itemPath(const QString& service, const QString& account);

} // namespace Keychain
