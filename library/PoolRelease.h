#pragma once

#include <QThreadPool>
#include <QtGlobal>

#include <utility>

// Drops a container. When this was its last holder and it is long, it is
// freed on the global pool instead: freeing tens of thousands of records or
// set entries would otherwise hold the main thread for many milliseconds.
// A container still shared elsewhere only loses a reference here.
template <typename Container>
void releaseOnPool(Container&& container)
{
    constexpr qsizetype freedHere = 4096;
    Container dropped = std::move(container);
    if (dropped.size() > freedHere && dropped.isDetached())
        QThreadPool::globalInstance()->start([dropped = std::move(dropped)] {});
}
