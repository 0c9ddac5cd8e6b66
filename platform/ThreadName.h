#pragma once

#include <QByteArray>
#include <QStringView>

// Names of the threads the programs start, as tools that list a process's
// threads (top -H, /proc/<pid>/task/*/comm) show them. The system keeps 15
// bytes of a name and refuses a longer one outright, so queue labels such as
// "com.lanto.settings.write" are shortened: the common "com.lanto." goes, and
// what is still too long is cut.
QByteArray threadName(QStringView label);

// Names the calling thread.
void nameCurrentThread(QStringView label);
