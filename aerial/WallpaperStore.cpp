#include "WallpaperStore.h"

#include "RegularFile.h"
#include "SystemWallpaper.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <fcntl.h>
#include <unistd.h>

using Dictionary = PlistValue::Dictionary;
using Array = PlistValue::Array;

namespace {

const QString keyAllSpaces = QStringLiteral("AllSpacesAndDisplays");
const QString keySystemDefault = QStringLiteral("SystemDefault");
const QString keyDisplays = QStringLiteral("Displays");
const QString keySpaces = QStringLiteral("Spaces");
const QString keyDefault = QStringLiteral("Default");
const QString keyDesktop = QStringLiteral("Desktop");
const QString keyIdle = QStringLiteral("Idle");
const QString keyType = QStringLiteral("Type");
const QString keyLinked = QStringLiteral("Linked");
const QString keyContent = QStringLiteral("Content");
const QString keyChoices = QStringLiteral("Choices");
const QString keyProvider = QStringLiteral("Provider");
const QString keyConfiguration = QStringLiteral("Configuration");
const QString keyAssetID = QStringLiteral("assetID");

std::optional<Dictionary> optionalDictionaryAt(const Dictionary& dictionary, const QString& key)
{
    const auto it = dictionary.constFind(key);
    return it == dictionary.cend() ? std::nullopt : it->toDictionary();
}

// A configuration encoded as a binary property list; nothing when it cannot be.
std::optional<QByteArray> encodeConfiguration(const Dictionary& configuration)
{
    QByteArray data = PropertyList::serialize(configuration, PropertyList::Format::Binary);
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

Dictionary makeContent(const QString& provider, const QByteArray& configuration, const QDateTime& now)
{
    const Dictionary choice {
        { keyProvider, provider },
        { keyConfiguration, configuration },
        { QStringLiteral("Files"), Array() },
    };
    return Dictionary {
        { keyContent, Dictionary { { keyChoices, Array { choice } } } },
        { QStringLiteral("LastSet"), now },
        { QStringLiteral("LastUse"), now },
    };
}

std::optional<Dictionary> aerialContent(const QString& assetID, const QDateTime& now)
{
    const auto configuration = encodeConfiguration(Dictionary { { keyAssetID, assetID } });
    if (!configuration)
        return std::nullopt;
    return makeContent(SystemWallpaper::aerialProvider, *configuration, now);
}

std::optional<Dictionary> imageContent(const QUrl& imageURL, const QDateTime& now)
{
    const Dictionary imageFile { { QStringLiteral("relative"), imageFileReference(imageURL.toLocalFile()) } };
    const auto configuration = encodeConfiguration(Dictionary {
        { QStringLiteral("type"), QStringLiteral("url") },
        { QStringLiteral("imageFile"), imageFile },
    });
    if (!configuration)
        return std::nullopt;
    return makeContent(SystemWallpaper::imageProvider, *configuration, now);
}

// Puts the content on the entry's desktop and idle screen. An entry that was
// missing or not a dictionary starts empty.
PlistValue stampEntry(const PlistValue& entry, const Dictionary& content, bool removeLinked)
{
    Dictionary stamped = entry.toDictionary().value_or(Dictionary());
    stamped.insert(keyDesktop, content);
    stamped.insert(keyIdle, content);
    stamped.insert(keyType, QStringLiteral("individual"));
    if (removeLinked)
        stamped.remove(keyLinked);
    return stamped;
}

// Stamps the display's entry inside a "Displays" dictionary.
Dictionary stampDisplay(Dictionary displays, const QString& displayUUID, const Dictionary& content, bool removeLinked)
{
    displays.insert(displayUUID, stampEntry(displays.value(displayUUID), content, removeLinked));
    return displays;
}

// The choices of a content; nothing unless they are an array of dictionaries only.
std::optional<Array> choicesOf(const PlistValue& content)
{
    const auto dictionary = content.toDictionary();
    const auto inner = dictionary ? optionalDictionaryAt(*dictionary, keyContent) : std::nullopt;
    auto choices = inner ? inner->value(keyChoices).toArray() : std::nullopt;
    if (!choices
        || !std::all_of(choices->cbegin(), choices->cend(), [](const PlistValue& choice) { return choice.isDictionary(); }))
        return std::nullopt;
    return choices;
}

// Looks for one aerial in the contents of one store as read. A choice's
// configuration is a property list of its own, and one data object of the
// file may stand in thousands of choices: each distinct one is parsed once
// per check, and all of them together only up to a fixed amount of data.
class AerialChoiceFinder
{
public:
    explicit AerialChoiceFinder(const QString& assetID) : m_assetID(assetID) {}

    bool contentHasAerial(const PlistValue& content)
    {
        const auto choices = choicesOf(content);
        return choices && std::any_of(choices->cbegin(), choices->cend(), [&](const PlistValue& choice) {
            return choiceMatchesAerial(choice);
        });
    }

    bool entryHasAerial(const std::optional<Dictionary>& entry)
    {
        return entry && contentHasAerial(entry->value(keyIdle)) && contentHasAerial(entry->value(keyDesktop));
    }

private:
    // An aerial configuration is a one-key dictionary of a hundred bytes or so.
    static constexpr qint64 maximumConfigurationBytes = 64 * 1024;
    static constexpr qint64 maximumBytesPerCheck = 4 * 1024 * 1024;
    static constexpr PropertyList::Limits configurationLimits { 4096, 32 };

    bool choiceMatchesAerial(const PlistValue& choice)
    {
        const auto dictionary = choice.toDictionary();
        if (!dictionary || dictionary->value(keyProvider).toString() != QString(SystemWallpaper::aerialProvider))
            return false;
        const auto data = dictionary->value(keyConfiguration).toData();
        if (!data)
            return false;
        // Copies of one decoded object share their bytes.
        const std::pair key(data->constData(), data->size());
        if (const auto known = m_matches.constFind(key); known != m_matches.cend())
            return *known;
        const bool matches = configurationNamesAsset(*data);
        m_matches.insert(key, matches);
        return matches;
    }

    bool configurationNamesAsset(const QByteArray& data)
    {
        if (data.size() > maximumConfigurationBytes || data.size() > m_bytesLeft)
            return false;
        m_bytesLeft -= data.size();
        const PropertyList::ParseResult parsed = PropertyList::decode(data, configurationLimits);
        const auto* value = std::get_if<PlistValue>(&parsed);
        const auto root = value ? value->toDictionary() : std::nullopt;
        return root && root->value(keyAssetID).toString() == m_assetID;
    }

    const QString& m_assetID;
    QHash<std::pair<const char*, qsizetype>, bool> m_matches;
    qint64 m_bytesLeft = maximumBytesPerCheck;
};

bool firstChoiceIsImage(const PlistValue& content)
{
    const auto choices = choicesOf(content);
    if (!choices || choices->isEmpty())
        return false;
    const auto first = choices->first().toDictionary();
    return first && first->value(keyProvider).toString() == QString(SystemWallpaper::imageProvider);
}

bool entryShowsImage(const std::optional<Dictionary>& entry)
{
    return entry && firstChoiceIsImage(entry->value(keyDesktop)) && firstChoiceIsImage(entry->value(keyIdle));
}

// Calls change on every Space that is a dictionary and stores what it returns.
template <typename Change> void changeSpaces(Dictionary& root, Change change)
{
    const auto spaces = optionalDictionaryAt(root, keySpaces);
    if (!spaces)
        return;
    Dictionary changed = *spaces;
    for (auto it = changed.begin(); it != changed.end(); ++it) {
        if (const auto space = it->toDictionary())
            *it = change(*space);
    }
    root.insert(keySpaces, changed);
}

} // namespace

void stampAerial(Dictionary& root, const QString& assetID, const QString& mainDisplayUUID, const QDateTime& now)
{
    const auto content = aerialContent(assetID, now);
    if (!content)
        return;
    root.insert(keyAllSpaces, Dictionary { { keyIdle, *content }, { keyType, QStringLiteral("idle") } });
    root.insert(keySystemDefault, stampEntry(root.value(keySystemDefault), *content, true));
    root.insert(keyDisplays,
        stampDisplay(optionalDictionaryAt(root, keyDisplays).value_or(Dictionary()), mainDisplayUUID, *content, true));
    changeSpaces(root, [&](Dictionary space) {
        if (space.value(keyDefault).isDictionary())
            space.insert(keyDefault, stampEntry(space.value(keyDefault), *content, true));
        if (const auto displays = optionalDictionaryAt(space, keyDisplays))
            space.insert(keyDisplays, stampDisplay(*displays, mainDisplayUUID, *content, true));
        return space;
    });
}

void stampImage(Dictionary& root, const QString& displayUUID, const QUrl& imageURL, const QDateTime& now)
{
    const auto content = imageContent(imageURL, now);
    if (!content)
        return;
    root.insert(keyDisplays,
        stampDisplay(optionalDictionaryAt(root, keyDisplays).value_or(Dictionary()), displayUUID, *content, true));
    // Under a Space the image keeps the entry's "Linked".
    changeSpaces(root, [&](Dictionary space) {
        if (const auto displays = optionalDictionaryAt(space, keyDisplays))
            space.insert(keyDisplays, stampDisplay(*displays, displayUUID, *content, false));
        return space;
    });
}

bool storeHasAerial(const Dictionary& root, const QString& assetID, const QString& mainDisplayUUID,
    const QStringList& otherDisplayUUIDs)
{
    AerialChoiceFinder finder(assetID);
    if (const auto allSpaces = optionalDictionaryAt(root, keyAllSpaces)) {
        const auto idle = optionalDictionaryAt(*allSpaces, keyIdle);
        if (idle && !finder.contentHasAerial(*idle))
            return false;
    }
    if (!finder.entryHasAerial(optionalDictionaryAt(root, keySystemDefault)))
        return false;
    const auto displays = optionalDictionaryAt(root, keyDisplays);
    if (!displays || !finder.entryHasAerial(optionalDictionaryAt(*displays, mainDisplayUUID)))
        return false;
    return std::all_of(otherDisplayUUIDs.cbegin(), otherDisplayUUIDs.cend(),
        [&](const QString& uuid) { return entryShowsImage(optionalDictionaryAt(*displays, uuid)); });
}

bool indexPlistHasAerial(
    const QString& path, const QString& assetID, const QString& mainDisplayUUID, const QStringList& otherDisplayUUIDs)
{
    const auto store = WallpaperStoreFile::read(path);
    return store.status == WallpaperStoreFile::ReadResult::Status::Read
        && storeHasAerial(store.root, assetID, mainDisplayUUID, otherDisplayUUIDs);
}

QString imageFileReference(const QString& absolutePath)
{
    // The characters a URL path may hold unescaped besides the unreserved ones.
    static const QByteArray pathAllowed("!$&'()*+,/:;=@");
    return QStringLiteral("file://") + QString::fromLatin1(absolutePath.toUtf8().toPercentEncoding(pathAllowed));
}

namespace WallpaperStoreFile {

ReadResult read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    const auto value = PropertyList::readFile(path);
    const auto root = value ? value->toDictionary() : std::nullopt;
    if (!root)
        return { ReadResult::Status::Unreadable, {} };
    return { ReadResult::Status::Read, *root };
}

bool write(const QString& path, const Dictionary& root, QString* error)
{
    const QByteArray bytes = PropertyList::serialize(root, PropertyList::Format::Binary);
    if (bytes.isEmpty()) {
        *error = QStringLiteral("The store could not be encoded.");
        return false;
    }
    return writeWholeFile(path, bytes, error);
}

void syncToDisk(const QString& path)
{
    // Others may put a pipe at the path: only a regular file is opened, without waiting.
    const std::optional<RegularFile> file = RegularFile::open(path);
    if (!file)
        return;
    file->sync();
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
        O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    ::close(folder);
}

} // namespace WallpaperStoreFile
