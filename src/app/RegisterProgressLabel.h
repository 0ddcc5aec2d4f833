#pragma once

#include <QElapsedTimer>
#include <QLabel>

// The status bar's "Sending VGA registers: entry k of n". The register send holds the event
// loop, so the label is repainted directly, a few times a second at most, and keeps room for
// its longest text, as no new layout can happen meanwhile.
class RegisterProgressLabel : public QLabel {
    Q_OBJECT
public:
    explicit RegisterProgressLabel(QWidget *parent = nullptr);

    // After entry 'entry' of 'count'; the last one clears the label.
    void showProgress(int entry, int count);

private:
    QElapsedTimer m_sincePaint;
};
