#pragma once

#include "Journal.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>

// Shows messages without stopping the console: each box is window-modal and opened with
// open(), so start-up, timers, port and network events go on behind it. Boxes come one
// after another, and a text that is already shown or waiting is not queued again.
// Every message is also written to the log (standard error), where unattended
// installations and tests can read it.
class MessageQueue : public QObject {
    Q_OBJECT
public:
    explicit MessageQueue(QWidget *window);

    // Title empty: the application's title. Icon NoIcon and an OK button, unless given.
    // A message box is something the operator has to see: a warning in the journal ...
    // 'details' goes below the text (the box's informative text).
    void post(const QString &text, const QString &title = QString(),
              QMessageBox::Icon icon = QMessageBox::NoIcon, const QString &details = QString());
    // ... or an error (a port that failed, a file refused).
    void post(Journal::Priority priority, const QString &text, const QString &title = QString(),
              QMessageBox::Icon icon = QMessageBox::NoIcon, const QString &details = QString());

    // A message no longer true (the device it names is back): taken off the screen if it
    // is shown, out of the queue if it waits.
    void withdraw(const QString &text);

    // The box on screen now, if any.
    QMessageBox *current() const { return m_box; }
    int waiting() const { return static_cast<int>(m_waiting.size()); }

signals:
    void posted(const QString &text);

private:
    struct Message {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        QString details;
    };

    void showNext();

    QWidget *m_window;
    QPointer<QMessageBox> m_box;
    QString m_shownText;
    std::deque<Message> m_waiting;
};
