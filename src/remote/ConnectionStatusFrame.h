#pragma once

#include <QGroupBox>

class QLineEdit;

// The frame on the Client and Server pages that shows the link's state: one line, replaced by
// each new text, never appended to. Each text also goes to the log.
class ConnectionStatusFrame : public QGroupBox {
    Q_OBJECT
public:
    ConnectionStatusFrame(const QString &caption, const char *frameName, const char *boxName,
                          QWidget *parent);

    void showText(const QString &text);

private:
    QLineEdit *m_box = nullptr;
};
