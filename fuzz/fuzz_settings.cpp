#include "SettingsFixture.h"

#include <QFile>
#include <QFileInfo>

// Any bytes as Settings.plist, read at start by a new store and on reload by
// a store that already holds values; either may only take the file's
// dictionary or keep what it had, and what it took is written back readable.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace FuzzSupport;
    static SettingsFixture fixture;
    LantoSettings& running = fixture.settings;
    const QString path = running.filePath();

    const QByteArray input = bytes(data, size);
    writeFile(path, input);
    const auto onDisk = PropertyList::parse(input);
    const auto dictionary = onDisk ? onDisk->toDictionary() : std::nullopt;

    LantoSettings starting(fixture.directory.path(), fixture.scheduler);
    const PlistValue::Dictionary expected = dictionary.value_or(LantoSettings::defaults());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        check(starting.value(it.key()) == it.value(), "start-up takes the file or the defaults");

    running.set(QStringLiteral("fuzz.marker"), true);
    running.reload();
    check(running.value(QStringLiteral("fuzz.marker")).has_value() == !dictionary.has_value(),
        "reload takes the file or keeps the store");
    if (!dictionary)
        return 0;

    // What it took is written back in a form it takes again, in proportion to what it read.
    running.flush();
    check(QFileInfo(path).size() <= PropertyList::xmlSizeFloor + PropertyList::xmlSizeFactor * qint64(size),
        "write-back stays in proportion");
    const auto written = PropertyList::readFile(path);
    check(written && written->isDictionary(), "write-back is read again");
    return 0;
}
