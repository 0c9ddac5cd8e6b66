#include "DesktopEntry.h"

#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Larger files are not ours.
constexpr qint64 maxEntryBytes = 64 * 1024;
// A mimeapps.list larger than this is not one a desktop keeps.
constexpr qint64 maxMimeAppsBytes = 4 * 1024 * 1024;

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool needsQuotes(const QString& argument)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#`()"_s;
    return std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });
}

// One argument as the format wants it. A plain one stays bare, as launchers
// that take the first word of the line literally (xdg-open) need; one with a
// reserved character goes in double quotes, with those characters escaped twice
// over: once for the quoting, once for the string value.
QString quoted(const QString& argument)
{
    if (!needsQuotes(argument))
        return QString(argument).replace(u'%', u"%%"_s);
    QString result = u"\""_s;
    for (const QChar c : argument) {
        if (c == u'\\')
            result += u"\\\\\\\\"_s;
        else if (c == u'"' || c == u'`' || c == u'$')
            result += u"\\\\"_s + c;
        else if (c == u'%')
            result += u"%%"_s;
        else
            result += c;
    }
    return result + u'"';
}

} // namespace

std::optional<QString> DesktopEntry::execValue(
    const QString& program, const QStringList& arguments, const QStringList& fieldCodes)
{
    QStringList parts;
    for (const QString& part : QStringList { program } + arguments) {
        if (part.isEmpty() || hasControlCharacter(part))
            return std::nullopt;
        parts.append(quoted(part));
    }
    return (parts + fieldCodes).join(u' ');
}

std::optional<QString> DesktopEntry::write(const QString& path, const QByteArray& contents)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return u"Could not create %1"_s.arg(folder);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

bool DesktopEntry::holds(const QString& path, const QByteArray& contents)
{
    return RegularFile::readAll(path, maxEntryBytes) == contents;
}

std::optional<QString> DesktopEntry::defaultApplication(const QString& mimeAppsPath, const QString& mimeType)
{
    const std::optional<QByteArray> file = RegularFile::readAll(mimeAppsPath, maxMimeAppsBytes);
    if (!file)
        return std::nullopt;
    const QByteArray key = mimeType.toUtf8() + '=';
    bool inDefaults = false;
    for (const QByteArray& raw : file->split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inDefaults = line == "[Default Applications]";
        else if (inDefaults && line.startsWith(key))
            return QString::fromUtf8(line.mid(key.size()).split(';').constFirst().trimmed());
    }
    return std::nullopt;
}
