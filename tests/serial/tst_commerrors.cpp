#include "CommErrors.h"

#include <QTest>

Q_DECLARE_METATYPE(PortStep)

class TestCommErrors : public QObject {
    Q_OBJECT
private slots:
    void messageText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("8002") << 8002 << "Invalid Port Number";
        QTest::newRow("394 hyphenated read-only") << 394 << "Property is read-only";
        QTest::newRow("8007 capital D in Device's") << 8007 << "The Device's baud rate is unsupported";
        QTest::newRow("8019 lower case") << 8019 << "device busy";
        QTest::newRow("53 is not a port error") << 53 << "";
        QTest::newRow("8017 gap between 8016 and 8018") << 8017 << "";
    }
    void messageText()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(CommErrorText(code), text);
    }

    void serialPortErrorCode_data()
    {
        using E = QSerialPort::SerialPortError;
        QTest::addColumn<E>("error");
        QTest::addColumn<PortStep>("step");
        QTest::addColumn<int>("code");
        QTest::newRow("no error") << E::NoError << PortStep::Open << 0;
        QTest::newRow("device not found: invalid port number")
            << E::DeviceNotFoundError << PortStep::Open << 8002;
        QTest::newRow("permission: hardware locked") << E::PermissionError << PortStep::Open << 8010;
        QTest::newRow("read error") << E::ReadError << PortStep::Read << 8020;
        QTest::newRow("timeout: device busy") << E::TimeoutError << PortStep::Write << 8019;
        QTest::newRow("resource error: device identifier") << E::ResourceError << PortStep::Read << 8006;
        QTest::newRow("unsupported baud rate") << E::UnsupportedOperationError << PortStep::BaudRate << 8007;
        QTest::newRow("unsupported data bits") << E::UnsupportedOperationError << PortStep::DataBits << 8008;
        QTest::newRow("unsupported stop bits") << E::UnsupportedOperationError << PortStep::StopBits << 8015;
        QTest::newRow("unknown error") << E::UnknownError << PortStep::Open << 8015;
    }
    void serialPortErrorCode()
    {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(PortStep, step);
        QFETCH(int, code);
        QCOMPARE(commErrorCode(error, step), code);
        QCOMPARE(CommErrorText(code).isEmpty(), code == 0); // every failure has a message for the operator
    }
};

QTEST_APPLESS_MAIN(TestCommErrors)
#include "tst_commerrors.moc"
