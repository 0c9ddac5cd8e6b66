#pragma once

#include <QtGlobal>

// What /proc says about one process at one moment.
struct ProcessSample
{
    // User and system time of all its threads.
    double cpuSeconds = 0;
    // Voluntary and involuntary context switches of its live threads: each
    // voluntary one is a wake-up after a sleep.
    qint64 contextSwitches = 0;
    // The most resident memory it has had, in KiB.
    qint64 peakRssKiB = 0;
    // Resident memory now, and its proportional share (shared pages divided
    // among the processes that map them), in KiB.
    qint64 rssKiB = 0;
    qint64 pssKiB = 0;
    // Its parts: anonymous memory (the C heap among it), mapped files, shared memory.
    qint64 pssAnonKiB = 0;
    qint64 heapPssKiB = 0;
    qint64 pssFileKiB = 0;
    qint64 pssShmemKiB = 0;

    static ProcessSample of(qint64 pid);
};

// Use of a process between two samples.
struct ProcessUse
{
    double cpuPercent = 0; // of one core
    double wakeupsPerSecond = 0;
    double cpuSecondsPerMinute() const { return cpuPercent * 0.6; }

    static ProcessUse between(const ProcessSample& first, const ProcessSample& last, double seconds);
};
