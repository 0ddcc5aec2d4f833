#include "PortSettingDialog.h"

#include "Controls.h"
#include "PortController.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QComboBox *makeList(QWidget *parent, const char *name, const QStringList &entries)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->addItems(entries);
    list->setEditable(false);
    return list;
}

} // namespace

PortSettingDialog::PortSettingDialog(PortController &controller, QWidget *parent)
    : QDialog(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("PortSetting"));
    setWindowTitle(QStringLiteral("Port Setting"));

    m_port = makeList(this, "cboPort", PortSettings::portEntries());
    m_baudRate = makeList(this, "cboBaudRate", PortSettings::baudRateEntries());
    m_dataBits = makeList(this, "cboDataBits", PortSettings::dataBitsEntries());
    m_parity = makeList(this, "cboParity", PortSettings::parityEntries());
    m_stopBits = makeList(this, "cboStopBits", PortSettings::stopBitsEntries());
    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("lblDevice"));
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Com Port :"), m_port);
    form->addRow(QString(), m_device);
    form->addRow(QStringLiteral("Baud Rate : "), m_baudRate);
    form->addRow(QStringLiteral("Data Bits : "), m_dataBits);
    form->addRow(QStringLiteral("Parity : "), m_parity);
    form->addRow(QStringLiteral("Stop Bits :"), m_stopBits);

    QPushButton *ok = makeButton(this, "OK", QStringLiteral("&OK"));
    QPushButton *defaults = makeButton(this, "Default", QStringLiteral("&Defaults"));
    QPushButton *cancel = makeButton(this, "Cancel", QStringLiteral("&Cancel"));
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(defaults);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_port, &QComboBox::currentIndexChanged, this, &PortSettingDialog::showDevice);
    connect(defaults, &QPushButton::clicked, this, [this] { select(PortSettings::defaults()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_controller.acceptSelection(selection());
        accept();
    });

    select(m_controller.settings());
}

PortSettings PortSettingDialog::selection() const
{
    return PortSettings{m_port->currentIndex(), m_baudRate->currentIndex(), m_dataBits->currentIndex(),
                        m_parity->currentIndex(), m_stopBits->currentIndex()};
}

void PortSettingDialog::select(const PortSettings &s)
{
    m_port->setCurrentIndex(s.PortIndex);
    m_baudRate->setCurrentIndex(s.BaudRateIndex);
    m_dataBits->setCurrentIndex(s.DataBitsIndex);
    m_parity->setCurrentIndex(s.ParityIndex);
    m_stopBits->setCurrentIndex(s.StopBitsIndex);
    showDevice();
}

void PortSettingDialog::showDevice()
{
    m_device->setText(QStringLiteral("Device: %1").arg(m_controller.devicePath(m_port->currentIndex() + 1)));
}
