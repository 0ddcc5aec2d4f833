#pragma once

#include "PortSettings.h"

#include <QDialog>

class PortController;
class QComboBox;
class QLabel;

// "Port Setting": five lists to pick the port and its settings from. OK opens the port with
// the selection and stores it; Defaults selects Com 1, 9600, 8, None, 1; Cancel changes
// nothing. The lists show the stored positions each time the dialog opens.
class PortSettingDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortSettingDialog(PortController &controller, QWidget *parent = nullptr);

    PortSettings selection() const;
    void select(const PortSettings &settings);

private:
    void showDevice();

    PortController &m_controller;
    QComboBox *m_port = nullptr;
    QComboBox *m_baudRate = nullptr;
    QComboBox *m_dataBits = nullptr;
    QComboBox *m_parity = nullptr;
    QComboBox *m_stopBits = nullptr;
    QLabel *m_device = nullptr;
};
