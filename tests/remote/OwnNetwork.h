#pragma once

#include <cstdlib>
#include <sched.h>

// Moves the test process into a network namespace of its own with its loopback device up,
// where the machine allows it (root): port 1001 is then the test's alone, and the loopback
// device can be taken away. False where it cannot; the test then shares the machine's.
inline bool enterOwnNetwork()
{
    return ::unshare(CLONE_NEWNET) == 0 && std::system("ip link set lo up") == 0;
}
