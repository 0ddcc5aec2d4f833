#pragma once

#include <QAbstractScrollArea>

// The status box (txtStatus): shows what the controller sent, as one long run of text broken
// into rows of whole characters. What the controller sends has no line ends of its own
// (they arrive as markers), so an ordinary text edit would lay the whole text out as one
// ever-growing paragraph on every change; here appending costs time in proportion to what
// was appended, and painting to what is visible. Only the newest characters are kept.
class StatusBox : public QAbstractScrollArea {
    Q_OBJECT
    // Read by tests and accessibility tools, which ask when they need it; nothing binds to it.
    Q_PROPERTY(QString text READ text WRITE setText)      // clazy:exclude=qproperty-without-notify
    Q_PROPERTY(QString plainText READ text WRITE setText) // clazy:exclude=qproperty-without-notify
public:
    explicit StatusBox(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    QString toPlainText() const { return m_text; }
    void setText(const QString &text);
    void appendText(const QString &text);
    void clear() { setText(QString()); }

    void setMaximumLength(qsizetype characters);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int columns() const;
    int rowHeight() const;
    qsizetype rowCount() const;
    // Drops the oldest text beyond the maximum; true when it did.
    bool trim();
    void updateScrollRange(bool followEnd);

    QString m_text;
    qsizetype m_maximumLength = qsizetype(64) * 1024;
};
