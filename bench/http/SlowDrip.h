#pragma once

#include <QtGlobal>

// A local peer that opens many connections to a server and sends their
// request headers one byte at a time, a byte per connection each second,
// never finishing them: how many connections it can hold, and whether the
// server still answers others meanwhile.
struct SlowDripResult
{
    int opened = 0;
    int held = 0; // still open after the dripping
    int served = 0; // of the ordinary requests made while it held them
    int asked = 0;
};

SlowDripResult runSlowDrip(quint16 port, const QByteArray& request, int connections, int seconds, int requests);
