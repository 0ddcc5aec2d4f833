#pragma once

#include "EntryMark.h"
#include "FailedSwitch.h"
#include "FileDialogs.h"
#include "WorkingFolder.h"

#include <QList>
#include <QString>

class MissingFiles;
class QLineEdit;
class QPushButton;
class Table;
class TableGrid;
class QWidget;

// What the table pages share around their grids and file dialogs.
namespace TablePageKit {

// Opens a page's file dialog in the working folder (entered first, so bare names resolve
// there); the chosen file as it is stored (a bare name inside the working folder), or an empty
// text on Cancel.
QString askOpen(QWidget *page, const WorkingFolder &folder, const QString &dialogName, const QString &filter,
                const QString &remembered = QString());
QString askSave(QWidget *page, const WorkingFolder &folder, const QString &dialogName, const QString &filter,
                const QString &selectedFilter, const QString &remembered);

// A path into a box with the caret at its end.
void showPath(QLineEdit *box, const QString &path);

// The header row as high as its picture plus 50 twips, the picture column as wide as it.
void fitHeaderPicture(TableGrid *grid, int pictureSize);

// One line of a page's editor: a caption, its field, and a button after it (Browse) if any.
struct EditorLine {
    QString caption;
    QWidget *field = nullptr;
    QWidget *after = nullptr;
};
// Lays out an editor: its lines, then the editor's buttons in a row under the fields.
void layOutEditor(QWidget *editor, const QList<EditorLine> &lines, const QList<QPushButton *> &buttons);

// The mark of entry 'row', whose cell 'pathCell' names a file: failed while its switch
// failed and the row is the one in force 'now', else missing when 'missing' says so.
EntryMark entryMark(const Table &table, int pathCell, int row, bool now, const FailedSwitch &failed,
                    const MissingFiles &missing);

} // namespace TablePageKit
