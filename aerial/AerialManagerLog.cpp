#include "AerialManagerLog.h"

#include "Log.h"

void AerialManagerLog::write(const QString& text) { Log::write(QStringLiteral("Lanto AerialManager: ") + text); }
