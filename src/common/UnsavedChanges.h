#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

// Whether what a page holds differs from its file as it was last loaded or saved. The
// content is given as rows of texts: a table's entries, or the fields a file stores. A
// change made and then undone by hand leaves nothing unsaved.
class UnsavedChanges : public QObject {
    Q_OBJECT
public:
    using Content = QList<QStringList>;

    explicit UnsavedChanges(QObject *parent = nullptr) : QObject(parent) {}

    // What the file holds now, just loaded or saved (or what stands for no file): nothing
    // is unsaved.
    void setSaved(const Content &content);
    // What the page holds now.
    void compare(const Content &content);
    bool isUnsaved() const { return m_unsaved; }

signals:
    void unsavedChanged(bool unsaved);

private:
    void setUnsaved(bool unsaved);

    Content m_saved;
    bool m_unsaved = false;
};
