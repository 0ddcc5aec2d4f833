#include "ElidedLabel.h"

ElidedLabel::ElidedLabel(int characters, QWidget *parent) : QLabel(parent), m_characters(characters)
{
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString &text, const QString &detail)
{
    const QString tip = detail.isEmpty() ? text : text + QLatin1Char('\n') + detail;
    if (text == m_full && tip == toolTip())
        return;
    m_full = text;
    setToolTip(tip);
    elide();
}

QSize ElidedLabel::sizeHint() const
{
    // The same whatever the text, so a new text never moves the window's layout.
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * m_characters + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_full, Qt::ElideRight, contentsRect().width());
    if (shown != text())
        setText(shown);
}
