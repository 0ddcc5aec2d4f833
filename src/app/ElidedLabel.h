#pragma once

#include <QLabel>

// A one-line label for a text that may be longer than the room it gets: it asks the layout
// for room for a few words only, shows the text cut with an ellipsis where it does not fit,
// and shows the whole text, with its detail, when hovered.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(int characters, QWidget *parent = nullptr);

    void setFullText(const QString &text, const QString &detail = QString());
    QString fullText() const { return m_full; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    int m_characters;
    QString m_full;
};
