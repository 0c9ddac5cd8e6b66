#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a seed file of fuzz/corpus/, unpacked when its name ends in
// ".gz"; empty when it cannot be read.
QByteArray corpusFileBytes(const QString& path);
