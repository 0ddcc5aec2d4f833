#pragma once

#include "VideoOptions.h"
#include "VideoSettings.h"

#include <QObject>
#include <array>

class Transmitter;

// The video settings as the pages show them, without the widgets: the VideoSettings record,
// the option shown selected in each group and the text of each picture value's display box.
// Every change goes out at once as its frame; a selection or value that does not change
// sends nothing (Retransmit is the way to send everything).
class VideoPanel : public QObject {
    Q_OBJECT
public:
    explicit VideoPanel(Transmitter &transmitter, QObject *parent = nullptr);

    const VideoSettings &settings() const { return m_settings; }

    // The option shown selected in a group; -1 until one is selected (at start nothing on
    // screen claims a state the controller may not have).
    int shownOption(OptionGroup group) const { return m_shown[static_cast<size_t>(group)]; }
    // The option a group's buttons show selected (for the mode groups, the mode chosen last in
    // either of them).
    int displayedOption(OptionGroup group) const { return m_displayed[static_cast<size_t>(group)]; }

    // Selecting option i of a group, by the operator or by a loader: the group's text and
    // index fields take it and its frame goes out, unless it was already shown selected.
    void selectOption(OptionGroup group, int index);

    // A spin button's value: its display shows "v (p%)" and its frame goes out, unless the
    // value is unchanged. Values outside the spin button's range are refused.
    void setPictureValue(Picture picture, int value);
    int pictureValue(Picture picture) const { return ::pictureValue(m_settings, picture); }

    // The display box beside a spin button; Retransmit sends what it shows.
    QString displayText(Picture picture) const { return m_display[static_cast<size_t>(picture)]; }
    void setDisplayText(Picture picture, const QString &text);

    // A loader writes the five texts straight into the record, in file order; nothing is sent.
    void setText(int field, const QString &text);

    // Selects the video page's options from the five texts, in group order.
    void ApplySettingsToPanel();
    // Selects the register page's operation mode from its text.
    void ApplyModeToRegisterPage();

    // Sends all nine video frames back to back, the picture values as the display boxes show
    // them and the option indices as stored.
    void RetransmitVideo();
    // The register page's part of Retransmit: the operation mode alone.
    void RetransmitMode();

signals:
    void optionShown(OptionGroup group, int index);
    void pictureChanged(Picture picture, int value);
    void displayTextChanged(Picture picture, const QString &text);

private:
    Transmitter &m_transmitter;
    VideoSettings m_settings;
    std::array<int, OptionGroupCount> m_shown;
    // What each group's options show. It differs from m_shown only for the two mode groups,
    // which show one setting: a mode chosen in either is shown in both.
    std::array<int, OptionGroupCount> m_displayed;
    std::array<QString, PictureCount> m_display;
};
