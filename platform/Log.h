#pragma once

#include <QByteArrayList>
#include <QString>

#include <functional>

// The system log. Every line is written exactly as given: callers own the
// "Lanto: " prefixes, so that the lines can be searched for verbatim.
//
// Lines go to the systemd journal, the line itself as the message, with the
// level as its priority and the subsystem and category, when given, as fields
// of their own. Where the journal does not take a line (there is none), the
// line goes to standard error.
namespace Log {

enum class Level { info, error };

// Who writes a line, for programs that log under a subsystem and category.
struct Origin
{
    QString subsystem;
    QString category;
};

// Where lines go besides the journal or stderr. Tests install one to capture lines.
using Sink = std::function<void(const QString& line)>;

void write(const QString& line);
void write(Level level, const QString& line, const Origin& origin);

// Installs a sink and returns the previous one; an empty sink leaves only the journal or stderr.
Sink setSink(Sink sink);

// The journal entry of one line: "MESSAGE=", "PRIORITY=", and "SUBSYSTEM=" and
// "CATEGORY=" when the origin names them, then "SYSLOG_IDENTIFIER=" with the program's name.
QByteArrayList journalFields(Level level, const QString& line, const Origin& origin);

// Sends one entry to the journal; false when the journal did not take it.
using JournalWriter = std::function<bool(const QByteArrayList& fields)>;
// Replaces how entries reach the journal and returns the previous way; an empty
// writer restores the system journal.
JournalWriter setJournalWriter(JournalWriter writer);

} // namespace Log
