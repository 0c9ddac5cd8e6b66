#pragma once

#include <QString>

// A locale as its identifier text names it ("pt", "pt_BR", "zh-Hant-TW",
// "en_US.UTF-8"). Unlike QLocale it never fills in likely subtags: "pt" names
// no region and "zh_TW" names no script.
struct LocaleName
{
    QString language; // lower case; empty for "C", "POSIX" or no text
    QString script; // title case ("Hant"); empty when not named
    QString region; // upper case ("BR") or three digits; empty when not named

    static LocaleName fromText(QStringView text);
    // The locale the user runs in, read as the C library resolves messages:
    // LC_ALL, then LC_MESSAGES, then LANG.
    static LocaleName current();

    // The interface language the user chose in Lanto, which wins over
    // current(); the empty text gives the choice back to current(). Main thread.
    static void choose(const QString& identifier);
    static LocaleName chosen();
};
