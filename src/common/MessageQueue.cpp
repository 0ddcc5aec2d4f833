#include "MessageQueue.h"

#include "Journal.h"

#include <QGuiApplication>
#include <algorithm>

MessageQueue::MessageQueue(QWidget *window) : QObject(window), m_window(window) {}

void MessageQueue::post(const QString &text, const QString &title, QMessageBox::Icon icon,
                        const QString &details)
{
    post(Journal::Priority::Warning, text, title, icon, details);
}

void MessageQueue::post(Journal::Priority priority, const QString &text, const QString &title,
                        QMessageBox::Icon icon, const QString &details)
{
    Journal::write(QStringLiteral("message"), text, priority);
    emit posted(text);
    if (m_box && m_shownText == text)
        return;
    for (const Message &m : m_waiting) {
        if (m.text == text)
            return;
    }
    m_waiting.push_back({text, title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, icon, details});
    if (!m_box)
        showNext();
}

void MessageQueue::withdraw(const QString &text)
{
    m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), [&](const Message &m) { return m.text == text; }),
                    m_waiting.end());
    if (m_box && m_shownText == text)
        m_box->done(QMessageBox::Ok); // finished() shows the next one
}

void MessageQueue::showNext()
{
    if (m_waiting.empty())
        return;
    const Message m = m_waiting.front();
    m_waiting.pop_front();

    auto *box = new QMessageBox(m.icon, m.title, m.text, QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setInformativeText(m.details);
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
