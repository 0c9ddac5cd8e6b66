#pragma once

#include "PropertyList.h"
#include "SettingsKeys.h"

#include <QMetaObject>
#include <QSet>
#include <QStringList>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class Scheduler;
class SerialQueue;

// The persistent settings of both programs: one dictionary of property-list
// values, kept in memory and mirrored to Settings.plist. A burst of changes is
// written once, 0.1 s after the last; flush() writes at once.
//
// The typed getters may be called on queue() (inside queue().sync, to read
// several keys consistently) or from any other thread.
class LantoSettings
{
public:
    static LantoSettings& shared();

    // "Library/Application Support/Lanto" under the user's real home, created on first use.
    static QString appSupportDirectory();
    // The per-wallpaper folders, named by hex id, below appSupportDirectory().
    static QString downloadsDirectory();

    // A store over <directory>/Settings.plist whose debounced writes run on writeScheduler.
    LantoSettings(const QString& directory, Scheduler& writeScheduler);
    // Writes a change that is still waiting for its debounced write.
    ~LantoSettings();

    LantoSettings(const LantoSettings&) = delete;
    LantoSettings& operator=(const LantoSettings&) = delete;

    QString filePath() const;
    SerialQueue& queue();

    // Stores a value, or removes the key when there is none, then schedules the write.
    void set(const QString& key, std::optional<PlistValue> value);
    // Writes the whole dictionary now, on the calling thread.
    void flush();
    // Replaces the dictionary with the file's contents; keeps it when the file is missing or unreadable.
    void reload();

    // From now on every write re-reads the file and changes only these keys
    // in it, so that keys the other program wrote since the last reload are
    // kept. Without owned keys (the default) a write replaces the whole file.
    void setOwnedKeys(const QStringList& keys);

    // Calls onChange on the receiver's thread, in a later turn of its event
    // loop, whenever set() or reload() changes the key's value, whichever
    // thread made the change. It stops with the receiver or the store.
    QMetaObject::Connection observe(const QString& key, QObject* receiver, std::function<void()> onChange);

    bool boolValue(const QString& key, bool defaultValue) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;
    std::optional<PlistValue::Dictionary> dictionary(const QString& key) const;
    std::optional<PlistValue> value(const QString& key) const;
    // An array of UUID texts as a set; elements that are not UUIDs are dropped.
    QSet<QUuid> uuidSet(const QString& key) const;

    // The dictionary a store starts from when no readable file exists.
    static PlistValue::Dictionary defaults();

private:
    class Store;
    std::shared_ptr<Store> d;
};
