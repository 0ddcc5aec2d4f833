#pragma once

#include "Clock.h"

// A clock that stands where the test puts it: 1 March 2026, noon, unless told otherwise.
class TestClock : public Clock {
public:
    QDateTime at{QDate(2026, 3, 1), QTime(12, 0)};
    QDateTime now() const override { return at; }
};
