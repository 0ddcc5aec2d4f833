#include "FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace FileDialogs {

namespace {

// "PAV Setting Files (*.pav)" gives "pav".
QString extensionOf(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)\\)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString run(QWidget *parent, const Request &r, QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode)
{
    QFileDialog dialog(parent, r.caption, r.folder, r.filter);
    dialog.setObjectName(r.objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    if (!r.selectedFilter.isEmpty())
        dialog.selectNameFilter(r.selectedFilter);
    if (mode == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(extensionOf(r.selectedFilter.isEmpty() ? r.filter : r.selectedFilter));
    if (!r.rememberedName.isEmpty())
        dialog.selectFile(r.rememberedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString askOpen(QWidget *parent, const Request &request)
{
    return run(parent, request, QFileDialog::AcceptOpen,
               request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
}

QString askSave(QWidget *parent, const Request &request)
{
    return run(parent, request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

} // namespace FileDialogs
