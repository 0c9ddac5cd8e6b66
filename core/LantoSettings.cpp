#include "LantoSettings.h"

#include "SaveFileLeftovers.h"
#include "SerialQueue.h"
#include "SettingsFileLock.h"
#include "UuidText.h"
#include "UserHome.h"

#include <QDir>
#include <QObject>

#include <chrono>
#include <mutex>

using namespace std::chrono_literals;

namespace {

constexpr auto writeDelay = 100ms;
// A write takes milliseconds: a temporary this old belongs to a writer that was killed.
constexpr auto leftoverAge = 60s;

std::optional<PlistValue::Dictionary> readDictionary(const QString& path)
{
    const std::optional<PlistValue> root = PropertyList::readFile(path);
    return root ? root->toDictionary() : std::nullopt;
}

// The keys whose values differ between the two dictionaries.
QStringList changedKeys(const PlistValue::Dictionary& before, const PlistValue::Dictionary& after)
{
    QStringList keys;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const auto now = after.constFind(it.key());
        if (now == after.cend() || !(*now == *it))
            keys.append(it.key());
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            keys.append(it.key());
    }
    return keys;
}

} // namespace

// Tells the observers of a key that its value changed. Emitted on the
// settings queue; every observer is called on its own thread.
class SettingsChanges : public QObject
{
    Q_OBJECT

signals:
    void changed(const QString& key);
};

// Shared with the pending write, which must not outlive the data it writes.
class LantoSettings::Store : public std::enable_shared_from_this<Store>
{
public:
    Store(QString path, Scheduler& writeScheduler)
        : filePath(std::move(path)), writeScheduler(writeScheduler)
    {
    }

    ~Store()
    {
        if (pendingWrite)
            pendingWrite->cancel();
    }

    // Runs fn on the queue, or directly when the caller already is on it. The
    // queue stops only with the store, so the work always runs.
    template <typename F>
    auto onQueue(F&& fn) const
    {
        if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
            queue.sync(std::function<void()>(fn));
        } else {
            return queue.sync(fn).value();
        }
    }

    std::optional<PlistValue> lookup(const QString& key) const
    {
        return onQueue([&]() -> std::optional<PlistValue> {
            const auto it = data.constFind(key);
            return it == data.cend() ? std::nullopt : std::optional<PlistValue>(*it);
        });
    }

    // Runs on the queue, so a burst from several threads leaves exactly one pending write.
    void scheduleWrite()
    {
        if (pendingWrite)
            pendingWrite->cancel();
        pendingWrite = writeScheduler.after(writeDelay, [weak = weak_from_this()] {
            if (const auto store = weak.lock())
                store->flush();
        });
    }

    void flush()
    {
        struct Snapshot
        {
            PlistValue::Dictionary contents;
            QStringList ownedKeys;
            quint64 sequence;
        };
        const Snapshot snapshot = onQueue([this] {
            // This write covers the pending one: left armed, it would rewrite the
            // file later, over what the other program saved meanwhile.
            if (pendingWrite) {
                pendingWrite->cancel();
                pendingWrite.reset();
            }
            dirty = false;
            return Snapshot{data, ownedKeys, ++snapshotCount};
        });
        // Snapshots are numbered in the queue's order: an older one never replaces a newer one on disk.
        std::lock_guard writing(flushMutex);
        if (snapshot.sequence < writtenSequence)
            return;
        writtenSequence = snapshot.sequence;
        // Both programs write this file: the lock keeps one's read-change-write from straddling the other's write.
        const SettingsFileLock lock(filePath);
        PropertyList::writeFile(filePath, PlistValue(mergedWithFile(snapshot.contents, snapshot.ownedKeys)),
                                PropertyList::Format::Xml);
    }

    // The file as it is, with the owned keys taken from the snapshot; the
    // snapshot whole when nothing is owned or the file cannot be read.
    PlistValue::Dictionary mergedWithFile(const PlistValue::Dictionary& ours, const QStringList& owned) const
    {
        if (owned.isEmpty())
            return ours;
        std::optional<PlistValue::Dictionary> merged = readDictionary(filePath);
        if (!merged)
            return ours;
        for (const QString& key : owned) {
            if (const auto it = ours.constFind(key); it != ours.cend())
                merged->insert(key, *it);
            else
                merged->remove(key);
        }
        return *merged;
    }

    const QString filePath;
    Scheduler& writeScheduler;
    mutable SerialQueue queue{QStringLiteral("com.lanto.settings")};
    SettingsChanges changes;
    // Touched only on queue:
    PlistValue::Dictionary data;
    WorkItemPtr pendingWrite;
    QStringList ownedKeys;
    bool dirty = false; // changed since the last snapshot was written
    quint64 snapshotCount = 0;
    // Guarded by flushMutex:
    std::mutex flushMutex;
    quint64 writtenSequence = 0;
};

LantoSettings& LantoSettings::shared()
{
    // The writer queue stands in for a background utility queue; it outlives the store.
    static SerialQueue writer(QStringLiteral("com.lanto.settings.write"));
    static LantoSettings settings(appSupportDirectory(), writer);
    return settings;
}

QString LantoSettings::appSupportDirectory()
{
    static const QString directory = [] {
        const QString path = QDir(UserHome::path()).filePath(QStringLiteral("Library/Application Support/Lanto"));
        QDir().mkpath(path);
        return path;
    }();
    return directory;
}

QString LantoSettings::downloadsDirectory()
{
    static const QString directory = QDir(appSupportDirectory()).filePath(QStringLiteral("Downloads"));
    return directory;
}

PlistValue::Dictionary LantoSettings::defaults()
{
    PlistValue::Dictionary values;
    for (const QString& key : {SettingsKey::launchAtLogin, SettingsKey::pauseOnBattery, SettingsKey::pauseOnFullscreen,
                               SettingsKey::reducedFrameRate, SettingsKey::respectReduceMotion,
                               SettingsKey::lockScreenEnabled})
        values.insert(key, false);
    return values;
}

LantoSettings::LantoSettings(const QString& directory, Scheduler& writeScheduler)
    : d(std::make_shared<Store>(QDir(directory).filePath(QStringLiteral("Settings.plist")), writeScheduler))
{
    QDir().mkpath(directory);
    SaveFileLeftovers::remove(d->filePath, leftoverAge);
    // A readable dictionary is taken as it stands: keys it lacks stay absent.
    d->data = readDictionary(d->filePath).value_or(defaults());
}

LantoSettings::~LantoSettings()
{
    // A change still waiting for its debounced write is not lost with the store.
    if (d->onQueue([this] { return d->dirty; }))
        d->flush();
}

QString LantoSettings::filePath() const
{
    return d->filePath;
}

SerialQueue& LantoSettings::queue()
{
    return d->queue;
}

void LantoSettings::set(const QString& key, std::optional<PlistValue> value)
{
    d->onQueue([&] {
        const auto before = d->data.constFind(key);
        const bool changes = value ? before == d->data.cend() || !(*before == *value) : before != d->data.cend();
        if (value)
            d->data.insert(key, std::move(*value));
        else
            d->data.remove(key);
        d->dirty = true;
        d->scheduleWrite();
        if (changes)
            emit d->changes.changed(key);
    });
}

void LantoSettings::flush()
{
    d->flush();
}

void LantoSettings::setOwnedKeys(const QStringList& keys)
{
    d->onQueue([&] { d->ownedKeys = keys; });
}

void LantoSettings::reload()
{
    // Read and swap in one queue block: a set() from another thread lands either
    // before the read (and the file is the authority) or after the swap, never between.
    d->onQueue([this] {
        std::optional<PlistValue::Dictionary> onDisk = readDictionary(d->filePath);
        if (!onDisk)
            return;
        const QStringList changed = changedKeys(d->data, *onDisk);
        d->data = std::move(*onDisk);
        for (const QString& key : changed)
            emit d->changes.changed(key);
    });
}

QMetaObject::Connection LantoSettings::observe(const QString& key, QObject* receiver, std::function<void()> onChange)
{
    return QObject::connect(
        &d->changes, &SettingsChanges::changed, receiver,
        [key, onChange = std::move(onChange)](const QString& changed) {
            if (changed == key)
                onChange();
        },
        Qt::QueuedConnection);
}

bool LantoSettings::boolValue(const QString& key, bool defaultValue) const
{
    const auto stored = d->lookup(key);
    return stored ? stored->toBool().value_or(defaultValue) : defaultValue;
}

std::optional<QString> LantoSettings::string(const QString& key) const
{
    const auto stored = d->lookup(key);
    return stored ? stored->toString() : std::nullopt;
}

std::optional<QByteArray> LantoSettings::data(const QString& key) const
{
    const auto stored = d->lookup(key);
    return stored ? stored->toData() : std::nullopt;
}

std::optional<PlistValue::Dictionary> LantoSettings::dictionary(const QString& key) const
{
    const auto stored = d->lookup(key);
    return stored ? stored->toDictionary() : std::nullopt;
}

std::optional<PlistValue> LantoSettings::value(const QString& key) const
{
    return d->lookup(key);
}

QSet<QUuid> LantoSettings::uuidSet(const QString& key) const
{
    QSet<QUuid> uuids;
    const auto stored = d->lookup(key);
    const auto texts = stored ? stored->toArray() : std::nullopt;
    if (!texts)
        return uuids;
    for (const PlistValue& element : *texts) {
        const std::optional<QString> text = element.toString();
        if (!text)
            return {}; // not an array of strings at all
        if (const auto uuid = uuidFromText(*text))
            uuids.insert(*uuid);
    }
    return uuids;
}

#include "LantoSettings.moc"
