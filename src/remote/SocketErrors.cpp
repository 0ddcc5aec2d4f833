#include "SocketErrors.h"

#include <QHash>

int winsockErrorNumber(QAbstractSocket::SocketError error, const QString &description)
{
    using E = QAbstractSocket::SocketError;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
        return 10061;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return 10054;
    case E::HostNotFoundError:
    case E::ProxyNotFoundError:
        return 11001;
    case E::SocketAccessError:
        return 10013;
    case E::SocketResourceError:
        return 10055;
    case E::SocketTimeoutError:
    case E::ProxyConnectionTimeoutError:
        return 10060;
    case E::DatagramTooLargeError:
        return 10040;
    case E::NetworkError:
        // Qt reports several system errors of a connection attempt as a network error; only
        // its description tells an unreachable network or host, or a timeout, from a failed
        // network.
        if (description == QLatin1String("Network unreachable"))
            return 10051;
        if (description == QLatin1String("Host unreachable"))
            return 10065;
        if (description == QLatin1String("Connection timed out"))
            return 10060;
        return 10050;
    case E::AddressInUseError:
        return 10048;
    case E::SocketAddressNotAvailableError:
        return 10049;
    case E::UnsupportedSocketOperationError:
        return 10045;
    case E::UnfinishedSocketOperationError:
        return 10036;
    case E::TemporaryError:
        return 10035;
    case E::OperationError:
        return 40020;
    default:
        return 0;
    }
}

QString socketErrorText(int number, const QString &description)
{
    static const QHash<int, QString> texts{
        {7, "Out of memory"},
        {380, "The property value is invalid."},
        {383, "The property is read-only."},
        {394, "The property can't be read."},
        {10004, "The operation was canceled."},
        {10014, "The requested address is a broadcast address, but flag is not set."},
        {10035, "Socket is non-blocking and the specified operation will block."},
        {10036, "A blocking Winsock operation in progress."},
        {10037, "The operation is completed. No blocking operation in progress"},
        {10038, "The descriptor is not a socket."},
        {10040, "The datagram is too large to fit into the buffer and is truncated."},
        {10043, "The specified port is not supported."},
        {10048, "Address in use."},
        {10049, "Address not available from the local machine."},
        {10050, "Network subsystem failed."},
        {10051, "The network cannot be reached from this host at this time."},
        {10052, "Connection has timed out when SO_KEEPALIVE is set."},
        {10053, "Connection is aborted due to timeout or other failure."},
        {10054, "The connection is reset by remote side."},
        {10055, "No buffer space is available."},
        {10056, "Socket is already connected."},
        {10057, "Socket is not connected."},
        {10058, "Socket has been shut down."},
        // The old table gave a timeout the text of 10058; it has one of its own.
        {10060, "Connection has timed out."},
        {10061, "Connection is forcefully rejected."},
        {10093, "WinsockInit should be called first."},
        {11001, "Authoritative answer: Host not found."},
        {11002, "Non-Authoritative answer: Host not found."},
        {11003, "Non-recoverable errors."},
        {11004, "Valid name, no data record of requested type."},
        {40006, "Wrong protocol or connection state for the requested transaction or request."},
        {40014, "The argument passed to a function was not in the correct format or in the specified range."},
        {40017, "Successful."},
        {40018, "Unsupported variant type."},
        {40020, "Invalid operation at current state"},
        {40021, "Argument is out of range."},
        {40026, "Wrong protocol for the requested transaction or request"},
    };
    return texts.value(number, description);
}

QString socketErrorText(const QAbstractSocket &socket)
{
    return socketErrorText(winsockErrorNumber(socket.error(), socket.errorString()), socket.errorString());
}
