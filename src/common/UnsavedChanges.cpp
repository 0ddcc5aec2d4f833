#include "UnsavedChanges.h"

void UnsavedChanges::setSaved(const Content &content)
{
    m_saved = content;
    setUnsaved(false);
}

void UnsavedChanges::compare(const Content &content)
{
    setUnsaved(content != m_saved);
}

void UnsavedChanges::setUnsaved(bool unsaved)
{
    if (unsaved == m_unsaved)
        return;
    m_unsaved = unsaved;
    emit unsavedChanged(unsaved);
}
