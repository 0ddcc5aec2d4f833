#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;
class UnsavedWork;

// Exit by the operator (the Exit button or the tray's Exit) while pages hold changes not
// saved: one question naming the pages, Exit Anyway or Cancel. The box is opened with open(),
// so timers, the port and the network go on while it waits; nothing else waits for it.
class ExitQuestion : public QObject {
    Q_OBJECT
public:
    ExitQuestion(const UnsavedWork &work, QWidget *window);

    // Runs 'leave' at once when nothing is unsaved; otherwise shows the window and asks, and
    // runs it on Exit Anyway only. Asked again while the question is open, the question
    // only comes to the front.
    void ask(std::function<void()> leave);
    // The console ends another way: the question goes without an answer.
    void withdraw();

    QMessageBox *box() const { return m_box; }

private:
    const UnsavedWork &m_work;
    QWidget *m_window;
    QPointer<QMessageBox> m_box;
};
