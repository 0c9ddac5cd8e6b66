#pragma once

#include <QtGlobal>

// This process's memory as Linux reports it, for tests and benchmarks that
// check memory stays flat.
namespace ProcessMemory {

// Resident memory now, in kilobytes; -1 when unknown.
qint64 residentKB();
// The resident peak since the process started or since resetPeak(), in kilobytes.
qint64 peakKB();
// Starts the peak again from the present.
void resetPeak();

} // namespace ProcessMemory
