#include "ThreadName.h"

#include <pthread.h>

namespace {

constexpr qsizetype longestName = 15;

} // namespace

QByteArray threadName(QStringView label)
{
    static constexpr QStringView common = u"com.lanto.";
    if (label.startsWith(common))
        label = label.mid(common.size());
    QByteArray name = label.toUtf8();
    if (name.size() <= longestName)
        return name;
    // Never cut inside a character: drop continuation bytes back to a lead byte.
    qsizetype end = longestName;
    while (end > 0 && (uchar(name.at(end)) & 0xC0) == 0x80)
        --end;
    return name.left(end);
}

void nameCurrentThread(QStringView label) { pthread_setname_np(pthread_self(), threadName(label).constData()); }
