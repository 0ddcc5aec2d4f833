#include "TablePageKit.h"

#include "MissingFiles.h"
#include "Table.h"
#include "TableGrid.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace TablePageKit {

namespace {
// The dialog's control name, its filter and the file it remembers, in the order a page names them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
FileDialogs::Request request(const WorkingFolder &folder, const QString &dialogName, const QString &filter,
                             const QString &remembered)
{
    folder.enter();
    FileDialogs::Request r;
    r.objectName = dialogName;
    r.folder = folder.path();
    r.filter = filter;
    r.rememberedName = folder.resolve(remembered);
    return r;
}
} // namespace

QString askOpen(QWidget *page, const WorkingFolder &folder, const QString &dialogName, const QString &filter,
                const QString &remembered)
{
    FileDialogs::Request r = request(folder, dialogName, filter, remembered);
    r.caption = QStringLiteral("Open");
    return folder.storedName(FileDialogs::askOpen(page, r));
}

// The save dialog's filters, then the one selected, as QFileDialog takes them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
QString askSave(QWidget *page, const WorkingFolder &folder, const QString &dialogName, const QString &filter,
                const QString &selectedFilter, const QString &remembered)
{
    FileDialogs::Request r = request(folder, dialogName, filter, remembered);
    r.caption = QStringLiteral("Save As");
    r.selectedFilter = selectedFilter;
    return folder.storedName(FileDialogs::askSave(page, r));
}

void showPath(QLineEdit *box, const QString &path)
{
    box->setText(path);
    box->setCursorPosition(static_cast<int>(path.size()));
}

void fitHeaderPicture(TableGrid *grid, int pictureSize)
{
    const int margin = 50 * grid->logicalDpiY() / 1440;
    grid->horizontalHeader()->setMinimumHeight(pictureSize + margin);
    grid->setColumnWidth(0, pictureSize + 2 * margin + 6);
}

void layOutEditor(QWidget *editor, const QList<EditorLine> &lines, const QList<QPushButton *> &buttons)
{
    auto *grid = new QGridLayout(editor);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const EditorLine &line : lines) {
        grid->addWidget(new QLabel(line.caption, editor), row, 0);
        grid->addWidget(line.field, row, 1);
        if (line.after)
            grid->addWidget(line.after, row, 2);
        ++row;
    }
    auto *buttonRow = new QHBoxLayout;
    for (QPushButton *button : buttons)
        buttonRow->addWidget(button);
    buttonRow->addStretch(1);
    grid->addLayout(buttonRow, row, 1, 1, 2);
    grid->setColumnStretch(1, 1);
}

EntryMark entryMark(const Table &table, int pathCell, int row, bool now, const FailedSwitch &failed,
                    const MissingFiles &missing)
{
    if (row < 1 || row > table.entryCount())
        return {};
    const QString path = table.cell(row, pathCell);
    if (now && failed.holds(row, path))
        return EntryMark::failed(failed.why);
    const QString problem = missing.problem(path);
    return problem.isEmpty() ? EntryMark() : EntryMark::missing(QStringLiteral("%1 %2").arg(path, problem));
}

} // namespace TablePageKit
