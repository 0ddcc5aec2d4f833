#include "VideoPanel.h"

#include "FrameBuilder.h"
#include "NumberText.h"
#include "Transmitter.h"

VideoPanel::VideoPanel(Transmitter &transmitter, QObject *parent)
    : QObject(parent), m_transmitter(transmitter)
{
    m_shown.fill(-1);
    m_displayed.fill(-1);
    for (int i = 0; i < PictureCount; ++i)
        m_display[static_cast<size_t>(i)] = pictureDisplay(static_cast<Picture>(i), 0);
}

void VideoPanel::selectOption(OptionGroup group, int index)
{
    const OptionGroupInfo &info = optionGroupInfo(group);
    if (index < 0 || index >= info.texts.size() || (shownOption(group) == index && displayedOption(group) == index))
        return;
    m_shown[static_cast<size_t>(group)] = index;
    groupText(m_settings, group) = info.texts.at(index);
    groupIndex(m_settings, group) = index;
    m_displayed[static_cast<size_t>(group)] = index;
    emit optionShown(group, index);
    if (group == OptionGroup::OperationMode || group == OptionGroup::OperationModeN) {
        // The other mode group shows it too, without a frame of its own; what it sends on its
        // next choice is decided as before, so every frame stays as it was.
        const OptionGroup other =
            group == OptionGroup::OperationMode ? OptionGroup::OperationModeN : OptionGroup::OperationMode;
        m_displayed[static_cast<size_t>(other)] = index;
        emit optionShown(other, index);
    }
    m_transmitter.TransmitToKVR(info.command, index);
}

void VideoPanel::setPictureValue(Picture picture, int value)
{
    const PictureInfo &info = pictureInfo(picture);
    if (value < 0 || value > info.maximum || pictureValue(picture) == value)
        return;
    ::pictureValue(m_settings, picture) = value;
    emit pictureChanged(picture, value);
    setDisplayText(picture, pictureDisplay(picture, value));
    m_transmitter.TransmitToKVR(info.command, value);
}

void VideoPanel::setDisplayText(Picture picture, const QString &text)
{
    QString &shown = m_display[static_cast<size_t>(picture)];
    if (shown == text)
        return;
    shown = text;
    emit displayTextChanged(picture, text);
}

void VideoPanel::setText(int field, const QString &text)
{
    static const OptionGroup order[] = {OptionGroup::OperationMode, OptionGroup::HorFilter,
                                        OptionGroup::VerFilter, OptionGroup::Antigamma,
                                        OptionGroup::VideoSource};
    if (field >= 0 && field < 5)
        groupText(m_settings, order[field]) = text;
}

void VideoPanel::ApplySettingsToPanel()
{
    for (OptionGroup group : {OptionGroup::OperationMode, OptionGroup::HorFilter, OptionGroup::VerFilter,
                              OptionGroup::Antigamma, OptionGroup::VideoSource}) {
        const int option = optionForText(group, groupText(m_settings, group));
        if (option < 0)
            continue;
        // Any antigamma text but "On" stands for Off, and is stored as such.
        if (group == OptionGroup::Antigamma && option == 1)
            m_settings.AntigammaText = QStringLiteral("Off");
        selectOption(group, option);
    }
}

void VideoPanel::ApplyModeToRegisterPage()
{
    selectOption(OptionGroup::OperationModeN,
                 optionForText(OptionGroup::OperationModeN, m_settings.OperationModeText));
}

void VideoPanel::RetransmitVideo()
{
    auto shownValue = [this](Picture picture) {
        // The number at the start of the display text; one that does not fit a frame value
        // is handed on as out of range, so the transmitter refuses it instead of wrapping.
        const double rounded = NumberText::roundHalfEven(NumberText::leadingNumber(displayText(picture)));
        return rounded >= 0 && rounded <= 32767 ? static_cast<int>(rounded) : -1;
    };
    m_transmitter.TransmitToKVR(Command::OperationMode, m_settings.OperationModeIndex);
    for (int i = 0; i < PictureCount; ++i) {
        const auto picture = static_cast<Picture>(i);
        m_transmitter.TransmitToKVR(pictureInfo(picture).command, shownValue(picture));
    }
    m_transmitter.TransmitToKVR(Command::HorFilter, m_settings.HorFilterIndex);
    m_transmitter.TransmitToKVR(Command::VerFilter, m_settings.VerFilterIndex);
    m_transmitter.TransmitToKVR(Command::Antigamma, m_settings.AntigammaIndex);
    m_transmitter.TransmitToKVR(Command::VideoSource, m_settings.VideoSourceIndex);
}

void VideoPanel::RetransmitMode()
{
    m_transmitter.TransmitToKVR(Command::OperationMode, m_settings.OperationModeIndex);
}
