#pragma once

#include <QAbstractSocket>
#include <QString>

// The link's error texts are those operators know from the Windows Sockets service: each
// socket error has the number that service reports for it, and the number has a text.

// The Windows Sockets number for a socket error and the description that came with it; 0 for
// an error that has no counterpart.
int winsockErrorNumber(QAbstractSocket::SocketError error, const QString &description = QString());

// The text shown for an error number; a number without a text of its own shows the
// description that came with the error.
QString socketErrorText(int number, const QString &description);

// Both in one: what a status box shows for a socket's error.
QString socketErrorText(const QAbstractSocket &socket);
