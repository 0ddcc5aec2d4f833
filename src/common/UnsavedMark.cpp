#include "UnsavedMark.h"

#include "UnsavedChanges.h"

const QString UnsavedMark::Text = QStringLiteral("Not saved");

UnsavedMark::UnsavedMark(const QString &name, const UnsavedChanges &changes, QWidget *parent)
    : QLabel(Text, parent)
{
    setObjectName(name);
    setToolTip(QStringLiteral("This page was changed after its file was last loaded or saved. Save keeps the "
                              "changes; Exit asks before they are lost."));
    setStyleSheet(QStringLiteral("QLabel { color: #a00000; font-weight: bold; }"));
    setVisible(changes.isUnsaved());
    connect(&changes, &UnsavedChanges::unsavedChanged, this, &QWidget::setVisible);
}
