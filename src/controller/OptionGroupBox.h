#pragma once

#include "VideoOptions.h"

#include <QGroupBox>

class QButtonGroup;
class VideoPanel;

// One option group of a page: a frame of option buttons (named e.g. optHorFilter_2, in a
// button group named optHorFilter) kept in line with the panel both ways.
class OptionGroupBox : public QGroupBox {
    Q_OBJECT
public:
    OptionGroupBox(OptionGroup group, VideoPanel &panel, QWidget *parent = nullptr);

    QButtonGroup *buttons() const { return m_buttons; }

private:
    void show(int index);

    OptionGroup m_group;
    VideoPanel &m_panel;
    QButtonGroup *m_buttons = nullptr;
};
