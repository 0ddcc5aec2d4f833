#include "CommErrors.h"

#include <QTest>

Q_DECLARE_METATYPE(PortStep)

class TestCommErrors : public QObject {
    Q_OBJECT
private slots:
    void messageText_data();
    void messageText();
    void serialPortErrorCode_data();
    void serialPortErrorCode();
};

void TestCommErrors::messageText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("8002 invalid port number") << 8002 << "Invalid Port Number";
    QTest::newRow("394 hyphenated read-only") << 394 << "Property is read-only";
    QTest::newRow("8004 read only without hyphen") << 8004 << "Property is read only at runtime";
    QTest::newRow("8007 capital D in Device's") << 8007 << "The Device's baud rate is unsupported";
    QTest::newRow("8019 lower case") << 8019 << "device busy";
    QTest::newRow("53 is not a port error") << 53 << "";
    QTest::newRow("8017 gap between 8016 and 8018") << 8017 << "";
    QTest::newRow("0 no error") << 0 << "";
    QTest::newRow("negative code") << -8002 << "";
}

void TestCommErrors::messageText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(CommErrorText(code), text);
}

void TestCommErrors::serialPortErrorCode_data()
{
    using E = QSerialPort::SerialPortError;
    QTest::addColumn<E>("error");
    QTest::addColumn<PortStep>("step");
    QTest::addColumn<int>("code");

    QTest::newRow("no error") << E::NoError << PortStep::Open << 0;
    QTest::newRow("device not found is an invalid port number")
        << E::DeviceNotFoundError << PortStep::Open << 8002;
    QTest::newRow("permission: hardware locked") << E::PermissionError << PortStep::Open << 8010;
    QTest::newRow("open error: already open") << E::OpenError << PortStep::Open << 8005;
    QTest::newRow("not open") << E::NotOpenError << PortStep::Write << 8012;
    QTest::newRow("read error") << E::ReadError << PortStep::Read << 8020;
    QTest::newRow("write error: device busy") << E::WriteError << PortStep::Write << 8019;
    QTest::newRow("timeout: device busy") << E::TimeoutError << PortStep::Write << 8019;
    QTest::newRow("resource error: device identifier") << E::ResourceError << PortStep::Read << 8006;
    QTest::newRow("unsupported baud rate") << E::UnsupportedOperationError << PortStep::BaudRate << 8007;
    QTest::newRow("unsupported data bits") << E::UnsupportedOperationError << PortStep::DataBits << 8008;
    QTest::newRow("unsupported parity") << E::UnsupportedOperationError << PortStep::Parity << 8015;
    QTest::newRow("unsupported stop bits") << E::UnsupportedOperationError << PortStep::StopBits << 8015;
    QTest::newRow("unsupported while opening") << E::UnsupportedOperationError << PortStep::Open << 8015;
    QTest::newRow("unknown error") << E::UnknownError << PortStep::Open << 8015;
}

void TestCommErrors::serialPortErrorCode()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(PortStep, step);
    QFETCH(int, code);
    QCOMPARE(commErrorCode(error, step), code);
    // Every code a failure can produce has a message for the operator.
    QCOMPARE(CommErrorText(code).isEmpty(), code == 0);
}

QTEST_APPLESS_MAIN(TestCommErrors)
#include "tst_commerrors.moc"
