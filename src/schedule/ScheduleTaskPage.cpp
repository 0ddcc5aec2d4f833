#include "ScheduleTaskPage.h"

#include "CellText.h"
#include "Controls.h"
#include "HeaderPicture.h"
#include "ScheduleTask.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TablePageKit.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString TaskFilter = QStringLiteral("Schedule Task Files (*.tsk)");
const QString ScheduleFilter = QStringLiteral("Schedule Files (*.shd)");
} // namespace

ScheduleTaskPage::ScheduleTaskPage(ScheduleTask &task, ConsoleState &state, const WorkingFolder &folder,
                                   const Clock &clock, QWidget *parent)
    : ConsolePage(parent), m_task(task), m_state(state), m_folder(folder), m_clock(clock)
{
    m_model = new TableModel(task.table(), {QString(), QStringLiteral("Date(dd/mm/yy) "),
                                            QStringLiteral("Schedule Filename"), QString()}, this);
    m_model->setHeaderPicture(HeaderPicture::calendar());
    m_grid = new TableGrid(QStringLiteral("MSFlexGridSchedule"), m_model, this);
    m_grid->setToolTipSource([this] {
        const int row = m_grid->currentRow();
        return row > 0 ? m_task.table().cell(row, ScheduleTask::PathCell) : QString();
    });

    auto *frame = new QGroupBox(QStringLiteral("Operation Mode Scheduled Tasks"), this);
    frame->setObjectName(QStringLiteral("fraScheduleTask"));
    auto *inner = new QVBoxLayout(frame);
    inner->addWidget(m_grid, 1);
    inner->addWidget(buildEditor());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addWidget(buildFileButtons());

    connect(m_grid, &TableGrid::gridClicked, this, [this] {
        if (m_state.SkipGridClick) {
            m_state.SkipGridClick = false;
            return;
        }
        const int row = m_grid->currentRow();
        if (row > 0) {
            const QDate date = CellText::dateOf(m_task.table().cell(row, ScheduleTask::DateCell));
            if (date.isValid())
                m_date->setDate(date);
            TablePageKit::showPath(m_schedule, m_task.table().cell(row, ScheduleTask::PathCell));
            m_modify->setEnabled(false);
        }
    });
    connect(m_grid, &TableGrid::deletePressed, this, &ScheduleTaskPage::deleteRows);
    connect(&task, &ScheduleTask::tableChanged, this, [this](int row) {
        m_model->reload();
        m_grid->setCurrentRow(row);
    });
    connect(&task, &ScheduleTask::inForceChanged, m_model, &TableModel::setInForce);
}

QWidget *ScheduleTaskPage::buildEditor()
{
    auto *editor = new QWidget(this);
    m_date = new QDateEdit(editor);
    m_date->setObjectName(QStringLiteral("DTPickerSchedule"));
    m_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    m_date->setCalendarPopup(true);
    m_schedule = new QLineEdit(editor);
    m_schedule->setObjectName(QStringLiteral("txtSchedule"));
    QPushButton *browse = makeButton(editor, "cmdBrowseSchedule", QStringLiteral("&Browse"));
    m_add = makeButton(editor, "cmdSchTaskAdd", QStringLiteral("&Add"));
    m_modify = makeButton(editor, "cmdSchTaskModify", QStringLiteral("&Modify"));
    QPushButton *deleteRow = makeButton(editor, "cmdSchTaskDelRow", QStringLiteral("&Delete Row"));
    m_add->setEnabled(false);
    m_modify->setEnabled(false);

    TablePageKit::layOutEditor(editor,
                               {{QStringLiteral("Day/Month/Year"), m_date}, {QStringLiteral("Schedule File :"), m_schedule, browse}},
                               {m_add, m_modify, deleteRow});

    connect(m_schedule, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] { m_modify->setEnabled(true); });
    connect(browse, &QPushButton::clicked, this, &ScheduleTaskPage::browse);
    connect(m_add, &QPushButton::clicked, this, &ScheduleTaskPage::add);
    connect(m_modify, &QPushButton::clicked, this, &ScheduleTaskPage::modify);
    connect(deleteRow, &QPushButton::clicked, this, &ScheduleTaskPage::deleteRows);
    return editor;
}

QWidget *ScheduleTaskPage::buildFileButtons()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    const std::pair<const char *, void (ScheduleTaskPage::*)()> buttons[] = {
        {"cmdSchTaskNew", &ScheduleTaskPage::newTask},
        {"cmdSchTaskOpen", &ScheduleTaskPage::open},
        {"cmdSchTaskSave", &ScheduleTaskPage::save},
        {"cmdSchTaskSaveAs", &ScheduleTaskPage::saveAs},
    };
    const QString captions[] = {QStringLiteral("&New"), QStringLiteral("&Open"), QStringLiteral("&Save"),
                                QStringLiteral("&Save As")};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        QPushButton *button = makeButton(row, buttons[i].first, captions[i]);
        connect(button, &QPushButton::clicked, this, buttons[i].second);
        layout->addWidget(button);
    }
    return row;
}

QString ScheduleTaskPage::pickedDate() const
{
    return CellText::ofDate(m_date->date());
}

void ScheduleTaskPage::browse()
{
    m_state.SkipGridClick = true;
    const QString path =
        TablePageKit::askOpen(this, m_folder, QStringLiteral("CommonDialogSchedule"), ScheduleFilter);
    if (path.isEmpty())
        return;
    TablePageKit::showPath(m_schedule, path);
    m_modify->setEnabled(true);
}

void ScheduleTaskPage::add()
{
    m_modify->setEnabled(false);
    m_task.add(m_grid->currentRow(), pickedDate(), m_schedule->text());
}

void ScheduleTaskPage::modify()
{
    m_modify->setEnabled(false);
    m_task.modify(m_grid->currentRow(), pickedDate(), m_schedule->text());
}

void ScheduleTaskPage::deleteRows()
{
    if (m_task.removeRows(m_grid->currentRow(), m_grid->otherEndRow()) != 0)
        return;
    m_modify->setEnabled(false);
    m_schedule->clear();
}

void ScheduleTaskPage::newTask()
{
    m_schedule->clear();
    m_modify->setEnabled(false);
    m_task.newTask();
}

void ScheduleTaskPage::open()
{
    const QString path = TablePageKit::askOpen(this, m_folder, QStringLiteral("CommonDialogScheduleTask"),
                                               TaskFilter, m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_task.OpenScheduleTask(path);
    m_state.SchTaskFilename = path; // taken even when the file did not load
}

void ScheduleTaskPage::save()
{
    m_task.SaveScheduleTask(m_state.SchTaskFilename);
}

void ScheduleTaskPage::saveAs()
{
    // SchTaskFilename stays: a later Save writes to the name loaded at start-up or by Open.
    const QString path = TablePageKit::askSave(this, m_folder, QStringLiteral("CommonDialogScheduleTask"),
                                               TaskFilter, QString(), m_remembered);
    if (!path.isEmpty()) {
        m_remembered = path;
        m_task.SaveScheduleTask(path);
    }
}

void ScheduleTaskPage::startUp()
{
    m_folder.enter();
    m_grid->setColumnWidthsInTwips({-1, 1300, 5550, 0});
    TablePageKit::fitHeaderPicture(m_grid, HeaderPicture::Size);
    m_add->setEnabled(!m_schedule->text().isEmpty());
    if (auto *save = findControl<QPushButton>(this, "cmdSchTaskSave"))
        save->setVisible(true);
    m_state.SchTaskFilename = m_folder.file(ScheduleTask::DefaultFileName);
    m_task.OpenScheduleTask(m_state.SchTaskFilename);
    m_remembered = m_state.SchTaskFilename;
    m_task.SortScheduleTask();
    m_date->setDate(m_clock.now().date());
    m_task.startRunner();
}

void ScheduleTaskPage::refresh()
{
    m_task.OpenScheduleTask(m_state.SchTaskFilename);
    m_grid->viewport()->update();
}
