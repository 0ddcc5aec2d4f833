#include "MessageQueue.h"

#include <QGuiApplication>

MessageQueue::MessageQueue(QWidget *window) : QObject(window), m_window(window) {}

void MessageQueue::post(const QString &text, const QString &title, QMessageBox::Icon icon)
{
    qInfo().noquote() << "message:" << text;
    emit posted(text);
    if (m_box && m_shownText == text)
        return;
    for (const Message &m : m_waiting) {
        if (m.text == text)
            return;
    }
    m_waiting.push_back({text, title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, icon});
    if (!m_box)
        showNext();
}

void MessageQueue::showNext()
{
    if (m_waiting.empty())
        return;
    const Message m = m_waiting.front();
    m_waiting.pop_front();

    auto *box = new QMessageBox(m.icon, m.title, m.text, QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_box = box;
    m_shownText = m.text;
    connect(box, &QMessageBox::finished, this, [this] {
        m_box = nullptr;
        m_shownText.clear();
        showNext();
    });
    box->open();
}
