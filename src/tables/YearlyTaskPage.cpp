#include "YearlyTaskPage.h"

#include "CellText.h"
#include "Controls.h"
#include "HeaderPicture.h"
#include "InForceView.h"
#include "MissingFiles.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TablePageKit.h"
#include "UnsavedMark.h"
#include "YearlyTask.h"

#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton *makeButton(QWidget *parent, const YearlyTaskPage::Control &control)
{
    return ::makeButton(parent, control.name, control.caption);
}
} // namespace

YearlyTaskPage::YearlyTaskPage(Setup setup, YearlyTask &task, ConsoleState &state, QString &taskFilename,
                               const QString &defaultFileName, const Clock &clock, QWidget *parent)
    : ConsolePage(parent), m_setup(std::move(setup)), m_task(task), m_state(state), m_taskFilename(taskFilename),
      m_defaultFileName(defaultFileName), m_clock(clock)
{
    m_model = new TableModel(task.table(), {QString(), m_setup.dateHeader, m_setup.pathHeader, QString()}, this);
    m_model->setHeaderPicture(HeaderPicture::calendar());
    m_grid = new TableGrid(QLatin1String(m_setup.gridName), m_model, this);
    m_grid->setToolTipSource([this] {
        const int row = m_grid->currentRow();
        return row > 0 ? m_task.table().cell(row, YearlyTask::PathCell) : QString();
    });

    auto *frame = new QGroupBox(m_setup.frameCaption, this);
    frame->setObjectName(m_setup.frameName);
    const Table &table = task.table();
    m_missing = new MissingFiles(
        task.workingFolder(), [&table] { return table.column(YearlyTask::PathCell); }, this);
    const auto mark = [this](int row, bool now) {
        return TablePageKit::entryMark(m_task.table(), YearlyTask::PathCell, row, now, m_task.failedSwitch(),
                                       *m_missing);
    };
    m_model->setMarks(YearlyTask::PathCell, [mark](int row) { return mark(row, true); });
    m_inForce = new InForceView(
        TimelineStrip::Span::Year, clock,
        {{m_setup.stripName,
          QString(),
          [&table] { return table.column(YearlyTask::KeyCell); },
          [&table](int entry) { return QFileInfo(table.cell(entry, YearlyTask::PathCell)).fileName(); },
          [&table](int entry) {
              return table.cell(entry, YearlyTask::DateCell) + QStringLiteral("  ") +
                     table.cell(entry, YearlyTask::PathCell);
          },
          {},
          mark}},
        m_setup.inForceAtName, frame);
    auto *inner = new QVBoxLayout(frame);
    inner->addWidget(m_grid, 1);
    inner->addWidget(m_inForce);
    inner->addWidget(buildEditor());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addWidget(buildFileButtons());

    connect(m_grid, &TableGrid::gridClicked, this, [this] {
        if (m_state.SkipGridClick) {
            m_state.SkipGridClick = false; // the click that closed a browse dialog
            return;
        }
        const int row = m_grid->currentRow();
        if (row > 0) {
            const QDate date = CellText::dateOf(m_task.table().cell(row, YearlyTask::DateCell));
            if (date.isValid())
                m_date->setDate(date);
            TablePageKit::showPath(m_daily, m_task.table().cell(row, YearlyTask::PathCell));
            m_modify->setEnabled(false);
        }
    });
    connect(m_grid, &TableGrid::deletePressed, this, &YearlyTaskPage::deleteRows);
    connect(&task, &YearlyTask::tableChanged, this, [this](int row) {
        m_missing->refresh();
        m_model->reload();
        m_grid->setCurrentRow(row);
        m_inForce->recompute();
    });
    connect(m_inForce, &InForceView::entryClicked, this, [this](int, int entry) { m_grid->setCurrentRow(entry); });
    connect(&task, &YearlyTask::inForceChanged, m_model, &TableModel::setInForce);
    connect(&task, &YearlyTask::failedSwitchChanged, this, &YearlyTaskPage::showMarks);
    connect(m_missing, &MissingFiles::changed, this, &YearlyTaskPage::showMarks);
}

QWidget *YearlyTaskPage::buildEditor()
{
    auto *editor = new QWidget(this);
    m_date = new QDateEdit(editor);
    m_date->setObjectName(QLatin1String(m_setup.datePicker));
    m_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    m_date->setCalendarPopup(true);
    m_daily = new QLineEdit(editor);
    m_daily->setObjectName(QLatin1String(m_setup.pathBox));
    QPushButton *browse = makeButton(editor, m_setup.browse);
    m_add = makeButton(editor, m_setup.add);
    m_modify = makeButton(editor, m_setup.modify);
    QPushButton *deleteRow = makeButton(editor, m_setup.deleteRow);
    m_add->setEnabled(false);
    m_modify->setEnabled(false);
    TablePageKit::layOutEditor(editor,
                               {{QStringLiteral("Day/Month/Year"), m_date}, {m_setup.pathCaption, m_daily, browse}},
                               {m_add, m_modify, deleteRow});

    connect(m_daily, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] { m_modify->setEnabled(true); });
    connect(browse, &QPushButton::clicked, this, &YearlyTaskPage::browse);
    connect(m_add, &QPushButton::clicked, this, &YearlyTaskPage::add);
    connect(m_modify, &QPushButton::clicked, this, &YearlyTaskPage::modify);
    connect(deleteRow, &QPushButton::clicked, this, &YearlyTaskPage::deleteRows);
    return editor;
}

QWidget *YearlyTaskPage::buildFileButtons()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    // The page shows no file name; a task file that was refused is said here instead.
    m_refusal = new QLabel(row);
    m_refusal->setObjectName(QLatin1String(m_setup.refusalNotice));
    m_refusal->setWordWrap(true);
    m_refusal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_refusal->setVisible(false);
    layout->addWidget(m_refusal, 3);
    layout->addStretch(1);
    layout->addWidget(new UnsavedMark(QLatin1String(m_setup.unsavedMark), m_task.unsaved(), row));
    connect(&m_task, &YearlyTask::refusalChanged, m_refusal, [this](const QString &text) {
        m_refusal->setText(text);
        m_refusal->setVisible(!text.isEmpty());
    });
    QPushButton *check = makeButton(row, m_setup.check);
    connect(check, &QPushButton::clicked, this, &YearlyTaskPage::checkFiles);
    layout->addWidget(check);
    const std::pair<const Control *, void (YearlyTaskPage::*)()> buttons[] = {
        {&m_setup.newTask, &YearlyTaskPage::newTask},
        {&m_setup.open, &YearlyTaskPage::open},
        {&m_setup.save, &YearlyTaskPage::save},
        {&m_setup.saveAs, &YearlyTaskPage::saveAs},
    };
    for (const auto &[control, action] : buttons) {
        QPushButton *button = makeButton(row, *control);
        connect(button, &QPushButton::clicked, this, action);
        layout->addWidget(button);
    }
    return row;
}

QString YearlyTaskPage::pickedDate() const
{
    return CellText::ofDate(m_date->date());
}

void YearlyTaskPage::browse()
{
    m_state.SkipGridClick = true;
    const QString path = TablePageKit::askOpen(this, m_task.workingFolder(), QLatin1String(m_setup.dailyDialog),
                                               m_setup.dailyFilter);
    if (path.isEmpty() || !m_task.acceptsPath(path, QStringLiteral("it was not taken")))
        return;
    TablePageKit::showPath(m_daily, path);
    m_modify->setEnabled(true);
    m_task.sayIfMissing(path, QStringLiteral("an entry naming it will fail when it comes due"));
}

void YearlyTaskPage::showMarks()
{
    m_model->marksChanged();
    m_inForce->recompute();
}

// The result stays open beside the page (not modal), so the grid can be put right while
// the list is read; a second click checks again into the same window.
void YearlyTaskPage::checkFiles()
{
    if (!m_checkDialog) {
        m_checkDialog = new QDialog(this);
        m_checkDialog->setObjectName(QStringLiteral("frmCheckFiles"));
        m_checkCaption = new QLabel(m_checkDialog);
        m_checkCaption->setWordWrap(true);
        m_checkList = new QListWidget(m_checkDialog);
        m_checkList->setObjectName(QStringLiteral("lstCheckFiles"));
        m_checkList->setWordWrap(true);
        auto *close = new QDialogButtonBox(QDialogButtonBox::Close, m_checkDialog);
        connect(close, &QDialogButtonBox::rejected, m_checkDialog, &QDialog::close);
        auto *layout = new QVBoxLayout(m_checkDialog);
        layout->addWidget(m_checkCaption);
        layout->addWidget(m_checkList, 1);
        layout->addWidget(close);
        m_checkDialog->resize(720, 320);
    }
    const QDate from = m_clock.now().date();
    m_checkDialog->setWindowTitle(QStringLiteral("Check Files - %1").arg(m_setup.frameCaption));
    m_checkCaption->setText(
        QStringLiteral("The files needed from %1 to %2, each daily file by the date it comes "
                       "into force and the files it names; those missing or unreadable:")
            .arg(CellText::ofDate(from), CellText::ofDate(from.addMonths(12).addDays(-1))));
    m_checkList->clear();
    for (const QString &line : m_task.checkFiles(from)) {
        auto *item = new QListWidgetItem(line, m_checkList);
        item->setToolTip(line);
    }
    m_checkDialog->show();
    m_checkDialog->raise();
}

void YearlyTaskPage::add()
{
    m_modify->setEnabled(false);
    const bool hadEntries = !m_task.table().isEmpty();
    m_task.add(m_grid->currentRow(), pickedDate(), m_daily->text());
    if (hadEntries)
        m_grid->setFocus(); // the new entry is current, ready for the keys
}

void YearlyTaskPage::modify()
{
    m_modify->setEnabled(false);
    m_task.modify(m_grid->currentRow(), pickedDate(), m_daily->text());
}

void YearlyTaskPage::deleteRows()
{
    m_task.removeRows(m_grid->currentRow(), m_grid->otherEndRow());
    if (!m_task.table().isEmpty())
        return;
    m_modify->setEnabled(false);
    if (m_setup.emptyingClearsDailyBox)
        m_daily->clear();
}

void YearlyTaskPage::newTask()
{
    m_daily->clear();
    m_modify->setEnabled(false);
    m_task.clearAll();
}

void YearlyTaskPage::open()
{
    const QString path = TablePageKit::askOpen(this, m_task.workingFolder(), QLatin1String(m_setup.taskDialog),
                                               m_setup.taskFilter, m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_task.open(path);
    m_taskFilename = path; // taken even when the file did not load
}

void YearlyTaskPage::save()
{
    m_task.save(m_taskFilename);
}

void YearlyTaskPage::saveAs()
{
    const QString path = TablePageKit::askSave(this, m_task.workingFolder(), QLatin1String(m_setup.taskDialog),
                                               m_setup.taskFilter, QString(), m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_task.save(path);
    if (m_setup.saveAsTakesName)
        m_taskFilename = path;
}

void YearlyTaskPage::startUp()
{
    m_task.workingFolder().enter();
    m_grid->setColumnWidthsInTwips({-1, 1300, m_setup.pathWidthTwips, 0});
    TablePageKit::fitHeaderPicture(m_grid, HeaderPicture::Size);
    m_add->setEnabled(!m_daily->text().isEmpty());
    for (const char *name : m_setup.shownAtStartUp) {
        if (auto *button = findControl<QPushButton>(this, name))
            button->setVisible(true);
    }
    m_taskFilename = m_task.workingFolder().file(m_defaultFileName);
    m_task.open(m_taskFilename);
    m_remembered = m_taskFilename;
    m_task.sort();
    m_date->setDate(m_clock.now().date());
    m_task.startRunner();
}

const UnsavedChanges *YearlyTaskPage::unsavedChanges() const
{
    return &m_task.unsaved();
}

void YearlyTaskPage::refresh()
{
    m_task.open(m_taskFilename);
    m_grid->viewport()->update();
}
