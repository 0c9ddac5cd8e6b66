#pragma once

#include "PropertyList.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// Reading and changing nested values of a property-list dictionary by key path.
namespace StoreTestSupport {

inline std::optional<PlistValue> valueAt(const PlistValue::Dictionary& root, const QStringList& path)
{
    PlistValue current = root;
    for (const QString& key : path) {
        const auto dictionary = current.toDictionary();
        if (!dictionary || !dictionary->contains(key))
            return std::nullopt;
        current = dictionary->value(key);
    }
    return current;
}

inline PlistValue::Dictionary dictionaryAt(const PlistValue::Dictionary& root, const QStringList& path)
{
    const auto value = valueAt(root, path);
    return value ? value->toDictionary().value_or(PlistValue::Dictionary()) : PlistValue::Dictionary();
}

// Sets the value at the path, creating dictionaries on the way; none removes the last key.
inline PlistValue::Dictionary withValue(
    PlistValue::Dictionary root, const QStringList& path, const std::optional<PlistValue>& value)
{
    if (path.size() == 1) {
        if (value)
            root.insert(path.first(), *value);
        else
            root.remove(path.first());
        return root;
    }
    root.insert(path.first(), withValue(dictionaryAt(root, { path.first() }), path.mid(1), value));
    return root;
}

// The providers of a content's choices, in order.
inline QStringList providers(const PlistValue::Dictionary& content)
{
    QStringList result;
    for (const PlistValue& choice : valueAt(content, { "Content", "Choices" })->toArray().value_or(PlistValue::Array()))
        result.append(choice.toDictionary()->value("Provider").toString().value_or(QString()));
    return result;
}

inline PlistValue::Dictionary configuration(const PlistValue::Dictionary& content, int choice = 0)
{
    const auto choices = valueAt(content, { "Content", "Choices" })->toArray().value_or(PlistValue::Array());
    const auto data = choices.value(choice).toDictionary()->value("Configuration").toData().value_or(QByteArray());
    // The system reads binary property lists only.
    if (!data.startsWith("bplist00"))
        return {};
    return PropertyList::parse(data).value_or(PlistValue()).toDictionary().value_or(PlistValue::Dictionary());
}

// The file as plistutil reads it, in XML; empty when plistutil refuses it.
inline QByteArray readWithPlistutil(const QString& path)
{
    QTemporaryDir dir;
    const QString xml = dir.filePath("store.xml");
    QProcess process;
    process.start("plistutil", { "-i", path, "-o", xml, "-f", "xml" });
    if (!process.waitForFinished() || process.exitCode() != 0)
        return {};
    QFile file(xml);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace StoreTestSupport
