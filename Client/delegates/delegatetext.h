#pragma once

#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QStyleOptionViewItem>

namespace DelegateText {

// A text cell is as wide as its text plus a small gap, as high as the text.
inline QSize sizeFor(const QStyleOptionViewItem &option, const QString &text)
{
    const QRect bounds = option.fontMetrics.boundingRect(text);
    return QSize(bounds.width() + 10, bounds.height());
}

}  // namespace DelegateText
