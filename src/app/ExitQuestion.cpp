#include "ExitQuestion.h"

#include "UnsavedWork.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

ExitQuestion::ExitQuestion(const UnsavedWork &work, QWidget *window)
    : QObject(window), m_work(work), m_window(window)
{
}

void ExitQuestion::ask(std::function<void()> leave)
{
    const QStringList pages = m_work.pages();
    if (pages.isEmpty()) {
        leave();
        return;
    }
    // The operator sees the pages the question names, also after a tray Exit.
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    if (m_box) {
        m_box->raise();
        m_box->activateWindow();
        return;
    }
    auto *box =
        new QMessageBox(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                        QStringLiteral("Changes on these pages are not saved: %1.").arg(pages.join(QStringLiteral(", "))),
                        QMessageBox::NoButton, m_window);
    box->setObjectName(QStringLiteral("exitQuestion"));
    box->setInformativeText(
        QStringLiteral("Exit Anyway ends the console without them; Cancel keeps it running, "
                       "so that they can be saved."));
    QPushButton *anyway = box->addButton(QStringLiteral("E&xit Anyway"), QMessageBox::DestructiveRole);
    anyway->setObjectName(QStringLiteral("cmdExitAnyway"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cmdExitCancel"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_box = box;
    connect(box, &QMessageBox::finished, this, [this, box, anyway, leave = std::move(leave)] {
        const bool go = box->clickedButton() == anyway;
        m_box = nullptr;
        if (go)
            leave();
    });
    box->open();
}

void ExitQuestion::withdraw()
{
    if (!m_box)
        return;
    QMessageBox *box = m_box;
    m_box = nullptr;
    box->disconnect(this);
    box->close();
}
