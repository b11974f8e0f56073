#include "textelement.h"

#include "reportbuilder.h"

#include <algorithm>

namespace ReportEngine {

namespace {

bool isDirectionControl(QChar c)
{
    const char16_t code = c.unicode();
    return code == 0x061C || code == 0x200E || code == 0x200F || (code >= 0x202A && code <= 0x202E)
           || (code >= 0x2066 && code <= 0x2069);
}

}  // namespace

QString withoutDirectionControls(const QString &text)
{
    // Most texts hold none: they are passed on without a copy.
    if (std::none_of(text.cbegin(), text.cend(), isDirectionControl))
        return text;
    return QString(text).removeIf(isDirectionControl);
}

TextElement::TextElement(const QString &text, int)
    : m_text(withoutDirectionControls(text))
{
}

void TextElement::setText(const QString &text)
{
    m_text = withoutDirectionControls(text);
}

QString TextElement::text() const
{
    return m_text;
}

void TextElement::setId(const QString &id)
{
    m_id = id;
}

QString TextElement::id() const
{
    return m_id;
}

void TextElement::setFont(const QFont &font)
{
    m_font = font;
}

void TextElement::setBold(bool bold)
{
    m_bold = bold;
}

void TextElement::setItalic(bool italic)
{
    m_italic = italic;
}

void TextElement::setPointSize(qreal pointSize)
{
    m_pointSize = pointSize > 0 ? pointSize : 0;
}

QTextCharFormat TextElement::charFormat() const
{
    QTextCharFormat format;
    if (m_font.resolveMask() != 0)
        format.setFont(m_font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    if (m_bold)
        format.setFontWeight(*m_bold ? QFont::Bold : QFont::Normal);
    if (m_italic)
        format.setFontItalic(*m_italic);
    if (m_pointSize > 0)
        format.setFontPointSize(m_pointSize);
    return format;
}

std::unique_ptr<Element> TextElement::clone() const
{
    return std::make_unique<TextElement>(*this);
}

void TextElement::build(ReportBuilder &builder) const
{
    builder.writeText(*this);
}

}  // namespace ReportEngine
