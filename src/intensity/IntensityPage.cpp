#include "IntensityPage.h"

#include "CellText.h"
#include "Controls.h"
#include "DailyIntensity.h"
#include "FileText.h"
#include "InForceView.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TablePageKit.h"
#include "UnsavedMark.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
constexpr QLatin1String IntensityFilter("Intensity Setting Files (*.int)");
const QColor InUseCaption(0, 0, 255);
const QColor OtherCaption(0, 0, 0);

template <typename T>
T *named(T *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QLabel(caption, parent), name);
}

void setCaptionColour(QWidget *option, const QColor &colour)
{
    QPalette palette = option->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    option->setPalette(palette);
}
} // namespace

IntensityPage::IntensityPage(DailyIntensity &intensity, ConsoleState &state, const Clock &clock, QWidget *parent)
    : ConsolePage(parent), m_intensity(intensity), m_state(state), m_clock(clock)
{
    m_model = new TableModel(intensity.table(), {QStringLiteral("  "), QStringLiteral("Time(HH:mm) "),
                                                 QStringLiteral("Intensity Setting  "), QString()},
                             this);
    m_grid = new TableGrid(QStringLiteral("MSFlexGridIntensity"), m_model, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildModeRow());
    layout->addWidget(buildManualFrame());
    layout->addWidget(buildAutomaticFrame(), 1);
    layout->addWidget(buildWatchdogRow());
    m_lastSent = label(this, "lblLastSent", QStringLiteral("No intensity level sent yet"));
    layout->addWidget(m_lastSent);
    layout->addWidget(buildFileButtons());

    connect(m_grid, &TableGrid::gridClicked, this, &IntensityPage::gridClicked);
    connect(m_grid, &TableGrid::deletePressed, this, &IntensityPage::deleteRows);
    connect(&intensity, &DailyIntensity::changed, this, &IntensityPage::showState);
    connect(&intensity, &DailyIntensity::tableChanged, this, [this](int row) {
        m_model->reload();
        m_grid->setCurrentRow(row);
        m_inForce->recompute();
    });
    connect(&intensity, &DailyIntensity::inForceChanged, m_model, &TableModel::setInForce);
    connect(&intensity, &DailyIntensity::fileDisplayChanged, m_fileName,
            [this](const QString &text) { showFileDisplay(m_fileName, text); });
    connect(&intensity, &DailyIntensity::levelSent, this, &IntensityPage::showLastSent);
    showState();
}

QWidget *IntensityPage::buildModeRow()
{
    auto *row = new QWidget(this);
    m_manual = named(new QRadioButton(QStringLiteral("&Manual"), row), "optManual");
    m_automatic = named(new QRadioButton(QStringLiteral("A&utomatic"), row), "optAutomatic");
    m_modes = new QButtonGroup(row);
    m_modes->addButton(m_manual);
    m_modes->addButton(m_automatic);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_manual);
    layout->addWidget(m_automatic);
    layout->addStretch(1);
    connect(m_manual, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_intensity.selectManual();
    });
    connect(m_automatic, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_intensity.selectAutomatic();
    });
    return row;
}

QWidget *IntensityPage::buildManualFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Manually Setting"), this), "fraManually");
    m_manualLevel = named(new QComboBox(frame), "cboManualIntensity");
    m_manualLevel->setPlaceholderText(QStringLiteral("Intensity Level"));
    auto *layout = new QHBoxLayout(frame);
    layout->addWidget(label(frame, "lblManualInt", QStringLiteral("Intensity :")));
    layout->addWidget(m_manualLevel);
    layout->addStretch(1);
    connect(m_manualLevel, &QComboBox::currentIndexChanged, &m_intensity, &DailyIntensity::setManualLevel);
    return frame;
}

QWidget *IntensityPage::buildAutomaticFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Automatically Setting"), this), "fraAutomatic");
    auto *editor = named(new QGroupBox(QStringLiteral("Auto Intensity Time Section"), frame), "fraAutomaticTime");
    m_time = named(new QTimeEdit(editor), "DTPickerIntensity");
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_autoLevel = named(new QComboBox(editor), "cboAutoIntensity");
    QPushButton *add = makeButton(editor, "cmdAddIntTime", QStringLiteral("Ad&d"));
    m_modify = makeButton(editor, "cmdMdyIntTime", QStringLiteral("Modify"));
    QPushButton *deleteRow = makeButton(editor, "cmdDeleteRowInt", QStringLiteral("Delete Row"));
    TablePageKit::layOutEditor(editor, {{QStringLiteral("Time :"), m_time}, {QStringLiteral("Intensity :"), m_autoLevel}},
                               {add, m_modify, deleteRow});
    // The editor's captions carry the names the design gives them.
    const QList<QLabel *> captions = editor->findChildren<QLabel *>();
    if (captions.size() == 2) {
        captions.at(0)->setObjectName(QStringLiteral("lblIntensityTime"));
        captions.at(1)->setObjectName(QStringLiteral("lblAutoIntensity"));
    }

    m_inForce = buildInForceView();
    auto *layout = new QGridLayout(frame);
    layout->addWidget(m_grid, 0, 0);
    layout->addWidget(editor, 0, 1, Qt::AlignTop);
    layout->addWidget(m_inForce, 1, 0, 1, 2);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);
    connect(m_autoLevel, &QComboBox::currentIndexChanged, &m_intensity, &DailyIntensity::setAutoLevel);
    connect(add, &QPushButton::clicked, this, &IntensityPage::add);
    connect(m_modify, &QPushButton::clicked, this, [this] {
        m_intensity.modify(m_grid->currentRow(), CellText::ofTime(m_time->time()));
    });
    connect(deleteRow, &QPushButton::clicked, this, &IntensityPage::deleteRows);
    return frame;
}

// Two strips: what the runner uses (the table as of the last Apply, load or Retransmit) and
// what the grid says now, which differ while edits wait for Apply.
InForceView *IntensityPage::buildInForceView()
{
    const IntensityRunner &runner = m_intensity.runner();
    const Table &grid = m_intensity.table();
    const QStringList &names = m_intensity.levelNames();
    auto nameOf = [&names](int level) { return names.value(level, QString::number(level)); };
    auto appliedLevel = [&runner](int entry) { return int(runner.IntensityTable().at(entry - 1).level); };
    auto gridLevel = [&grid](int entry) { return grid.cell(entry, IntensityFile::LevelCell).toInt(); };
    auto appliedTime = [&runner](int entry) { return runner.IntensityTable().at(entry - 1).time; };
    auto gridTime = [&grid](int entry) { return grid.cell(entry, IntensityFile::TimeCell); };
    QList<InForceView::Source> sources{
        {QStringLiteral("stripIntensityApplied"), tr("After Apply :"),
         [&runner] {
             QStringList keys;
             for (const IntensityRunner::Entry &entry : runner.IntensityTable())
                 keys.append(entry.time);
             return keys;
         },
         [=](int entry) { return nameOf(appliedLevel(entry)); },
         [=](int entry) { return appliedTime(entry) + QStringLiteral("  ") + nameOf(appliedLevel(entry)); },
         appliedLevel},
        {QStringLiteral("stripIntensityGrid"), tr("In the grid :"),
         [&grid] { return grid.column(IntensityFile::TimeCell); },
         [=](int entry) { return nameOf(gridLevel(entry)); },
         [=](int entry) { return gridTime(entry) + QStringLiteral("  ") + nameOf(gridLevel(entry)); }, gridLevel},
    };
    auto *view = new InForceView(TimelineStrip::Span::Day, m_clock, sources, QStringLiteral("DTPickerIntensityAt"), this);
    connect(view, &InForceView::entryClicked, this, [this](int, int entry) {
        if (entry <= m_intensity.table().entryCount())
            m_grid->setCurrentRow(entry);
    });
    connect(&m_intensity.runner(), &IntensityRunner::refreshed, view, &InForceView::recompute);
    return view;
}

QWidget *IntensityPage::buildWatchdogRow()
{
    auto *row = new QWidget(this);
    m_watchdogAuto = named(new QRadioButton(QStringLiteral("Automatic"), row), "OptWatchdogAuto");
    m_switchOff = named(new QRadioButton(QStringLiteral("Switch OFF"), row), "OptWatchdogSwitchOff");
    auto *group = new QButtonGroup(row);
    group->addButton(m_watchdogAuto);
    group->addButton(m_switchOff);
    m_delay = named(new QLineEdit(row), "TxtWatchdogDelay");
    m_delay->setMaximumWidth(m_delay->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    m_apply = makeButton(row, "cmdApply", QStringLiteral("&Apply"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label(row, "lblWatchdog", QStringLiteral("Watchdog Timer :")));
    layout->addWidget(m_watchdogAuto);
    layout->addWidget(m_delay);
    layout->addWidget(m_switchOff);
    layout->addStretch(1);
    layout->addWidget(m_apply);
    connect(m_watchdogAuto, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_intensity.selectWatchdogAuto();
    });
    connect(m_switchOff, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_intensity.selectWatchdogSwitchOff();
    });
    connect(m_delay, &QLineEdit::textChanged, &m_intensity, &DailyIntensity::setDelayText);
    connect(m_apply, &QPushButton::clicked, &m_intensity, &DailyIntensity::apply);
    // Apply follows only the actions that set it, so another page's start-up can hold it off.
    m_apply->setEnabled(m_intensity.applyEnabled());
    connect(&m_intensity, &DailyIntensity::applyEnabledSet, m_apply, &QPushButton::setEnabled);
    return row;
}

QWidget *IntensityPage::buildFileButtons()
{
    auto *row = new QWidget(this);
    m_fileName = named(new QLineEdit(row), "txtIntFilename");
    makeDisplay(m_fileName);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_fileName, 1);
    layout->addWidget(new UnsavedMark(QStringLiteral("lblIntensityUnsaved"), m_intensity.unsaved(), row));
    const std::pair<const char *, void (IntensityPage::*)()> buttons[] = {
        {"cmdIntensityLoad", &IntensityPage::open},
        {"cmdIntSave", &IntensityPage::save},
        {"cmdIntSaveAs", &IntensityPage::saveAs},
        {"cmdIntSaveDef", &IntensityPage::saveDefault},
    };
    const QString captions[] = {QStringLiteral("&Open"), QStringLiteral("Save"), QStringLiteral("Save As"),
                                QStringLiteral("Save Default")};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        QPushButton *button = makeButton(row, buttons[i].first, captions[i]);
        connect(button, &QPushButton::clicked, this, buttons[i].second);
        layout->addWidget(button);
    }
    return row;
}

void IntensityPage::showState()
{
    const QSignalBlocker manual(m_manual), automatic(m_automatic), watchdogAuto(m_watchdogAuto),
        switchOff(m_switchOff), delay(m_delay), manualLevel(m_manualLevel), autoLevel(m_autoLevel);
    const DailyIntensity::Mode mode = m_intensity.mode();
    if (mode == DailyIntensity::Mode::None) {
        m_modes->setExclusive(false); // before a file chose a mode neither option is selected
        m_manual->setChecked(false);
        m_automatic->setChecked(false);
        m_modes->setExclusive(true);
    } else {
        const bool isManual = mode == DailyIntensity::Mode::Manual;
        m_manual->setChecked(isManual);
        m_automatic->setChecked(!isManual);
        // The mode in force is the one drawn in blue.
        setCaptionColour(m_manual, isManual ? InUseCaption : OtherCaption);
        setCaptionColour(m_automatic, isManual ? OtherCaption : InUseCaption);
    }
    m_manualLevel->setCurrentIndex(m_intensity.manualLevel());
    m_autoLevel->setCurrentIndex(m_intensity.autoLevel());
    m_watchdogAuto->setChecked(!m_intensity.switchOff());
    m_switchOff->setChecked(m_intensity.switchOff());
    if (m_delay->text() != m_intensity.delayText())
        m_delay->setText(m_intensity.delayText());
    m_delay->setEnabled(!m_intensity.switchOff());
    m_modify->setEnabled(m_intensity.modifyEnabled());
}

void IntensityPage::showLastSent()
{
    const int level = m_intensity.levelLastSent();
    m_lastSent->setText(QStringLiteral("Last level sent: %1 at %2")
                            .arg(m_intensity.levelNames().value(level, QString::number(level)),
                                 m_intensity.lastSentAt().toString(QStringLiteral("HH:mm:ss"))));
}

void IntensityPage::gridClicked()
{
    const int row = m_grid->currentRow();
    m_intensity.setModifyEnabled(row > 0);
    const int column = m_grid->currentColumn();
    if (row < 1 || (column != 1 && column != 2))
        return;
    const QTime time = CellText::timeOf(m_intensity.table().cell(row, IntensityFile::TimeCell));
    if (time.isValid())
        m_time->setTime(time);
    const int level = static_cast<int>(
        m_intensity.levelNames().indexOf(m_intensity.table().cell(row, IntensityFile::NameCell)));
    if (level >= 0 && level < m_autoLevel->count())
        m_intensity.setAutoLevel(level);
}

void IntensityPage::add()
{
    m_intensity.add(m_grid->currentRow(), CellText::ofTime(m_time->time()));
    m_grid->setFocus();
}

void IntensityPage::deleteRows()
{
    m_intensity.removeRows(m_grid->currentRow(), m_grid->otherEndRow());
}

void IntensityPage::open()
{
    const QString path = TablePageKit::askOpen(this, m_intensity.workingFolder(),
                                               QStringLiteral("CommonDialogIntensity"), IntensityFilter, m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_intensity.clearTable();
    m_intensity.OpenIntensityFile(path);
    m_state.IntFilename = path;
    m_intensity.setFileDisplay(FileNamePrefix + path);
}

void IntensityPage::save()
{
    if (m_state.IntFilename.isEmpty())
        saveAs();
    else
        m_intensity.SaveIntensityFile(m_state.IntFilename);
}

void IntensityPage::saveAs()
{
    const QString path = TablePageKit::askSave(this, m_intensity.workingFolder(),
                                               QStringLiteral("CommonDialogIntensity"), IntensityFilter,
                                               IntensityFilter, m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_intensity.SaveIntensityFile(path);
    m_state.IntFilename = path;
}

void IntensityPage::saveDefault()
{
    // IntFilename stays: Save still writes to the file loaded or saved as last.
    const QString path = m_intensity.defaultFile();
    m_intensity.SaveIntensityFile(path);
    m_remembered = path;
    m_intensity.setFileDisplay(FileNamePrefix + path);
}

void IntensityPage::startUp()
{
    {
        const QSignalBlocker manualLevel(m_manualLevel), autoLevel(m_autoLevel);
        m_manualLevel->addItems(m_intensity.levelNames());
        m_autoLevel->addItems(m_intensity.levelNames());
    }
    m_grid->setColumnWidthsInTwips({200, 1200, 1850, 0});
    m_inForce->setLevelCount(static_cast<int>(m_intensity.levelNames().size()));
    m_grid->setCurrentRow(0);
    m_intensity.startUp();
    m_remembered = m_state.IntFilename;
    m_intensity.SendWatchdogSetting();
}

void IntensityPage::retransmit()
{
    m_intensity.retransmit();
}

const UnsavedChanges *IntensityPage::unsavedChanges() const
{
    return &m_intensity.unsaved();
}

void IntensityPage::refresh()
{
    m_intensity.OpenIntensityFile(m_state.IntFilename);
    m_grid->viewport()->update();
    m_intensity.setFileDisplay(FileNamePrefix + m_remembered);
}
