#pragma once

#include <QString>

// The picture of the KVR as the console holds it. The five texts are what a setting file
// stores; the five indices are what the controller receives; the four picture values are
// those of the spin buttons. At start the texts are empty and every number is 0.
struct VideoSettings {
    QString OperationModeText;
    QString HorFilterText;
    QString VerFilterText;
    QString AntigammaText;
    QString VideoSourceText;

    int OperationModeIndex = 0;
    int HorFilterIndex = 0;
    int VerFilterIndex = 0;
    int AntigammaIndex = 0;
    int VideoSourceIndex = 0;

    int brightness = 0;
    int contrast = 0;
    int saturation = 0;
    int hue = 0;
};
