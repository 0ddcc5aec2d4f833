#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <QThread>

#include <cstdlib>
#include <sched.h>
#include <sys/socket.h>

// Moves the test process, and the consoles it starts, into a network namespace of its own
// with its loopback device up, where the machine allows it (root): port 1001 is then the
// test's alone, and the loopback device can be taken away ('own' tells). Elsewhere the test
// shares the machine's network. Returns why port 1001 cannot be listened on; empty when it can.
inline QString takePort1001(bool &own)
{
    own = ::unshare(CLONE_NEWNET) == 0 && std::system("ip link set lo up") == 0;
    QTcpServer probe;
    return probe.listen(QHostAddress::Any, 1001) ? QString()
                                                 : "port 1001 cannot be had here: " + probe.errorString();
}

// Ends a connection with a reset instead of a close.
inline void resetConnection(QTcpSocket &socket)
{
    const linger now{1, 0};
    ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    socket.abort();
}

// Connects to a console on 127.0.0.1:1001 that may still be starting to listen.
inline bool connectToConsole(QTcpSocket &socket)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        socket.connectToHost(QHostAddress::LocalHost, 1001);
        if (socket.waitForConnected(1000))
            return true;
        socket.abort();
        QThread::msleep(100);
    }
    return false;
}
