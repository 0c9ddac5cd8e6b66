#pragma once

#include "ScreenModel.h"

#include <QList>

#include <functional>

// The desktop controller's display records as the library sees them. Main thread.
class ScreenRecords
{
public:
    virtual ~ScreenRecords() = default;

    // The records of the attached displays, in the controller's order.
    virtual QList<ScreenModel> connectedScreens() const = 0;
    // Called after the records were re-synchronised with the displays; replaces any earlier callback.
    virtual void setOnScreensChanged(std::function<void()> callback) = 0;
};
