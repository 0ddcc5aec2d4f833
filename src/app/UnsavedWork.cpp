#include "UnsavedWork.h"

#include "UnsavedChanges.h"

void UnsavedWork::watch(const QString &page, const UnsavedChanges &changes)
{
    m_pages.append({page, &changes});
}

QStringList UnsavedWork::pages() const
{
    QStringList unsaved;
    for (const Page &page : m_pages) {
        if (page.changes->isUnsaved())
            unsaved.append(page.caption);
    }
    return unsaved;
}

QStringList UnsavedWork::lostSince(const QStringList &before) const
{
    const QStringList now = pages();
    QStringList lost;
    for (const QString &page : before) {
        if (!now.contains(page))
            lost.append(page);
    }
    return lost;
}
