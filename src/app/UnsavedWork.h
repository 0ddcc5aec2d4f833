#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class UnsavedChanges;

// The pages in use whose files have changes not saved, named by their captions in page
// order: what Exit asks about and what an ending or a refresh journals as lost.
class UnsavedWork {
public:
    void watch(const QString &page, const UnsavedChanges &changes);

    // The pages with changes not saved now.
    QStringList pages() const;
    // Of 'before', the pages whose changes are gone since without being saved.
    QStringList lostSince(const QStringList &before) const;

private:
    struct Page {
        QString caption;
        const UnsavedChanges *changes;
    };
    QList<Page> m_pages;
};
