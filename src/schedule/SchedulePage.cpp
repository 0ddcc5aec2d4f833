#include "SchedulePage.h"

#include "CellText.h"
#include "Controls.h"
#include "DailySchedule.h"
#include "FileText.h"
#include "HeaderPicture.h"
#include "InForceView.h"
#include "MissingFiles.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TablePageKit.h"
#include "UnsavedMark.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
constexpr QLatin1String ScheduleFilter("Schedule Files (*.shd)");
constexpr QLatin1String SaveFilters("All Files (*.*);;Schedule Files (*.shd)");
constexpr QLatin1String SettingFilter("PAV Setting Files (*.PAV)");
} // namespace

SchedulePage::SchedulePage(DailySchedule &schedule, ConsoleState &state, QWidget *parent)
    : ConsolePage(parent), m_schedule(schedule), m_state(state)
{
    m_model = new TableModel(schedule.table(), {QString(), QStringLiteral("Time(HH:mm) "),
                                                QStringLiteral("Schedule Filename")}, this);
    m_model->setHeaderPicture(HeaderPicture::clock());
    m_grid = new TableGrid(QStringLiteral("MSFlexGrid1"), m_model, this);
    m_grid->setToolTipSource([this] {
        const int row = m_grid->currentRow();
        return row > 0 ? m_schedule.table().cell(row, DailySchedule::PathCell) : QString();
    });

    const Table &table = schedule.table();
    m_missing = new MissingFiles(
        schedule.workingFolder(), [&table] { return table.column(DailySchedule::PathCell); }, this);
    const auto mark = [this](int row, bool now) {
        return TablePageKit::entryMark(m_schedule.table(), DailySchedule::PathCell, row, now,
                                       m_schedule.failedSwitch(), *m_missing);
    };
    m_model->setMarks(DailySchedule::PathCell, [mark](int row) { return mark(row, true); });
    m_inForce = new InForceView(
        TimelineStrip::Span::Day, schedule.clock(),
        {{QStringLiteral("stripSchedule"),
          QString(),
          [&table] { return table.column(DailySchedule::TimeCell); },
          [&table](int entry) { return QFileInfo(table.cell(entry, DailySchedule::PathCell)).fileName(); },
          [&table](int entry) {
              return table.cell(entry, DailySchedule::TimeCell) + QStringLiteral("  ") +
                     table.cell(entry, DailySchedule::PathCell);
          },
          {},
          mark}},
        QStringLiteral("DTPickerScheduleAt"), this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_inForce);
    layout->addWidget(buildEditor());
    layout->addWidget(buildFileButtons());

    connect(m_grid, &TableGrid::gridClicked, this, [this] {
        if (m_state.SkipGridClick) {
            m_state.SkipGridClick = false; // the click that closed a browse dialog
            return;
        }
        copyCurrentRowToEditor();
        m_modify->setEnabled(false);
    });
    connect(m_grid, &TableGrid::focusGained, this, &SchedulePage::copyCurrentRowToEditor);
    connect(m_grid, &TableGrid::deletePressed, this, &SchedulePage::deleteRows);
    connect(&schedule, &DailySchedule::tableChanged, this, [this](int row) {
        m_missing->refresh();
        m_model->reload();
        m_grid->setCurrentRow(row);
        m_inForce->recompute();
    });
    connect(m_inForce, &InForceView::entryClicked, this, [this](int, int entry) { m_grid->setCurrentRow(entry); });
    connect(&schedule, &DailySchedule::inForceChanged, m_model, &TableModel::setInForce);
    connect(&schedule, &DailySchedule::failedSwitchChanged, this, &SchedulePage::showMarks);
    connect(m_missing, &MissingFiles::changed, this, &SchedulePage::showMarks);
    connect(&schedule, &DailySchedule::fileDisplayChanged, m_scheduleFile,
            [this](const QString &text) { showFileDisplay(m_scheduleFile, text); });
}

QWidget *SchedulePage::buildEditor()
{
    auto *editor = new QWidget(this);
    m_time = new QTimeEdit(editor);
    m_time->setObjectName(QStringLiteral("DTPickerAstro"));
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_fileName = new QLineEdit(editor);
    m_fileName->setObjectName(QStringLiteral("txtFileName"));
    QPushButton *browse = makeButton(editor, "cmdBrowse", QStringLiteral("&Browse"));
    m_add = makeButton(editor, "cmdAdd", QStringLiteral("Add"));
    m_modify = makeButton(editor, "CmdModify", QStringLiteral("Modify"));
    QPushButton *deleteRow = makeButton(editor, "cmdDeleteRow", QStringLiteral("Del Row"));
    // Add needs a setting file; the rule holds from the start, whether or not the page is in use.
    m_add->setEnabled(false);
    m_modify->setEnabled(false);

    TablePageKit::layOutEditor(editor,
                               {{QStringLiteral("Time :"), m_time}, {QStringLiteral("Schedule File :"), m_fileName, browse}},
                               {m_add, m_modify, deleteRow});

    connect(m_fileName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_time, &QTimeEdit::timeChanged, this, [this] { m_modify->setEnabled(true); });
    connect(browse, &QPushButton::clicked, this, &SchedulePage::browse);
    connect(m_add, &QPushButton::clicked, this, &SchedulePage::add);
    connect(m_modify, &QPushButton::clicked, this, &SchedulePage::modify);
    connect(deleteRow, &QPushButton::clicked, this, &SchedulePage::deleteRows);
    return editor;
}

QWidget *SchedulePage::buildFileButtons()
{
    auto *row = new QWidget(this);
    m_scheduleFile = new QLineEdit(row);
    m_scheduleFile->setObjectName(QStringLiteral("txtScheduleFile"));
    makeDisplay(m_scheduleFile);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scheduleFile, 1);
    layout->addWidget(new UnsavedMark(QStringLiteral("lblScheduleUnsaved"), m_schedule.unsaved(), row));
    const std::pair<const char *, void (SchedulePage::*)()> buttons[] = {
        {"cmdScheduleNew", &SchedulePage::newSchedule},   {"cmdScheduleOpen", &SchedulePage::open},
        {"cmdScheduleSave", &SchedulePage::save},         {"cmdScheduleSaveAs", &SchedulePage::saveAs},
        {"cmdScheduleSaveDefault", &SchedulePage::saveDefault},
    };
    const QString captions[] = {QStringLiteral("&New"), QStringLiteral("Open"), QStringLiteral("Save"),
                                QStringLiteral("Save As"), QStringLiteral("Save Default")};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        QPushButton *button = makeButton(row, buttons[i].first, captions[i]);
        connect(button, &QPushButton::clicked, this, buttons[i].second);
        layout->addWidget(button);
    }
    return row;
}

void SchedulePage::setVideoPagesInUse(bool videoPage, bool registerPage)
{
    m_videoPage = videoPage;
    m_registerPage = registerPage;
}

QString SchedulePage::pickedTime() const
{
    return CellText::ofTime(m_time->time());
}

void SchedulePage::copyCurrentRowToEditor()
{
    const int row = m_grid->currentRow();
    if (row == 0)
        return;
    const QTime time = CellText::timeOf(m_schedule.table().cell(row, DailySchedule::TimeCell));
    if (time.isValid())
        m_time->setTime(time);
    TablePageKit::showPath(m_fileName, m_schedule.table().cell(row, DailySchedule::PathCell));
}

void SchedulePage::browse()
{
    m_state.SkipGridClick = true;
    const QString path = TablePageKit::askOpen(this, m_schedule.workingFolder(), QStringLiteral("CommonDialogAstro2"),
                                               SettingFilter);
    if (path.isEmpty() || !m_schedule.acceptsPath(path, QStringLiteral("it was not taken")))
        return;
    TablePageKit::showPath(m_fileName, path);
    m_modify->setEnabled(true);
    m_schedule.sayIfMissing(path, QStringLiteral("an entry naming it will fail when it comes due"));
}

void SchedulePage::showMarks()
{
    m_model->marksChanged();
    m_inForce->recompute();
}

void SchedulePage::add()
{
    m_schedule.add(m_grid->currentRow(), pickedTime(), m_fileName->text());
    m_modify->setEnabled(false);
}

void SchedulePage::modify()
{
    m_modify->setEnabled(false);
    m_schedule.modify(m_grid->currentRow(), pickedTime(), m_fileName->text());
}

void SchedulePage::deleteRows()
{
    m_schedule.removeRows(m_grid->currentRow(), m_grid->otherEndRow(), m_videoPage, m_registerPage);
    if (m_schedule.table().isEmpty() && m_registerPage)
        m_modify->setEnabled(false);
}

void SchedulePage::newSchedule()
{
    m_time->setTime(QTime(0, 0));
    m_fileName->clear();
    m_modify->setEnabled(false);
    m_schedule.newSchedule();
}

void SchedulePage::open()
{
    const QString path =
        TablePageKit::askOpen(this, m_schedule.workingFolder(), QStringLiteral("CommonDialogAstro1"), ScheduleFilter,
                              m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_schedule.clearTable();
    m_schedule.OpenScheduleFile(path);
    // The name is taken whether or not the file loaded, so Save writes there.
    m_schedule.setFileDisplay(FileNamePrefix + path);
    m_state.IntSchFile = path;
}

void SchedulePage::save()
{
    if (m_state.IntSchFile.isEmpty())
        saveAs();
    else
        m_schedule.SaveScheduleFile(m_state.IntSchFile);
}

void SchedulePage::saveAs()
{
    const QString path = TablePageKit::askSave(this, m_schedule.workingFolder(), QStringLiteral("CommonDialogAstro1"),
                                               SaveFilters, ScheduleFilter, m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_schedule.SaveScheduleFile(path);
    m_state.IntSchFile = path;
    m_schedule.setFileDisplay(FileNamePrefix + path);
}

void SchedulePage::saveDefault()
{
    // IntSchFile stays, so a later Save still writes to the earlier name.
    const QString path = m_schedule.defaultFile();
    m_schedule.SaveScheduleFile(path);
    m_remembered = path;
    m_schedule.setFileDisplay(FileNamePrefix + path);
}

void SchedulePage::startUp()
{
    m_state.CurScheduleIndex = 0;
    if (auto *saveAsNVideo = findControl<QPushButton>(this, "CmdSaveAsNVideo"))
        saveAsNVideo->setEnabled(true);
    m_grid->setColumnWidthsInTwips({-1, 1200, 6700});
    TablePageKit::fitHeaderPicture(m_grid, HeaderPicture::Size);
    m_state.IntSchFile = m_schedule.defaultFile();
    m_schedule.OpenScheduleFile(m_state.IntSchFile);
    m_remembered = m_state.IntSchFile;
    m_schedule.setFileDisplay(FileNamePrefix + m_state.IntSchFile);
    // The runners' start: the daily runner runs from here, whether or not the table has
    // entries, so its first tick loads the file in force.
    m_schedule.startRunner();
}

const UnsavedChanges *SchedulePage::unsavedChanges() const
{
    return &m_schedule.unsaved();
}

void SchedulePage::refresh()
{
    m_schedule.OpenScheduleFile(m_state.IntSchFile);
    m_grid->viewport()->update();
    m_schedule.setFileDisplay(FileNamePrefix + m_state.IntSchFile);
}
