#include "OptionGroupBox.h"

#include "VideoPanel.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

OptionGroupBox::OptionGroupBox(OptionGroup group, VideoPanel &panel, QWidget *parent)
    : QGroupBox(parent), m_group(group), m_panel(panel), m_buttons(new QButtonGroup(this))
{
    const OptionGroupInfo &info = optionGroupInfo(group);
    setTitle(info.frameCaption);
    setObjectName(QStringLiteral("fra") + info.objectName.mid(3));
    m_buttons->setObjectName(info.objectName);
    m_buttons->setExclusive(true);

    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < info.captions.size(); ++i) {
        auto *option = new QRadioButton(info.captions.at(i), this);
        option->setObjectName(QStringLiteral("%1_%2").arg(info.objectName).arg(i));
        m_buttons->addButton(option, i);
        layout->addWidget(option);
    }
    layout->addStretch(1);

    connect(m_buttons, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            m_panel.selectOption(m_group, id);
    });
    connect(&panel, &VideoPanel::optionShown, this, [this](OptionGroup shown, int index) {
        if (shown == m_group)
            show(index);
    });
}

void OptionGroupBox::show(int index)
{
    const QSignalBlocker blocker(m_buttons);
    if (QAbstractButton *option = m_buttons->button(index))
        option->setChecked(true);
}
