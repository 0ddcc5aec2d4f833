#pragma once

#include <QLabel>

class UnsavedChanges;

// The mark beside a page's file that says the page holds changes not saved to it; it is
// shown only while there are some.
class UnsavedMark : public QLabel {
    Q_OBJECT
public:
    static const QString Text; // "Not saved"

    UnsavedMark(const QString &name, const UnsavedChanges &changes, QWidget *parent = nullptr);
};
