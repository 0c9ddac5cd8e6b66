#include "PauseReasons.h"

#include <QStringList>

#include <utility>

QString describePauseReasons(PauseReasons reasons)
{
    static const std::pair<PauseReason, const char*> names[] = {
        { PauseReason::sleep, "sleep" },
        { PauseReason::lock, "lock" },
        { PauseReason::cover, "cover" },
        { PauseReason::battery, "battery" },
        { PauseReason::reduceMotion, "reduce motion" },
        { PauseReason::user, "pause()" },
    };
    QStringList held;
    for (const auto& [reason, name] : names) {
        if (reasons.testFlag(reason))
            held.append(QString::fromLatin1(name));
    }
    return held.join(QStringLiteral(", "));
}
