#pragma once

#include "element.h"

#include <QFont>
#include <QString>
#include <QTextCharFormat>

#include <optional>

namespace ReportEngine {

// `text` without the characters that set the direction of what follows them
// (embeddings, overrides, isolates and marks). A document prints texts from
// outside, and one such character in a name would turn the rest of its line
// around.
QString withoutDirectionControls(const QString &text);

// A run of text, printed without direction controls. Tabs are kept as they
// are, each line break starts a new paragraph with the same format, and
// nothing is trimmed.
class TextElement : public Element
{
public:
    // The integer is accepted for callers that pass one; it has no visible
    // effect.
    explicit TextElement(const QString &text = QString(), int unused = 0);

    void setText(const QString &text);
    QString text() const;

    // The name under which a template fills this text (see Report::associateTextValue).
    void setId(const QString &id);
    QString id() const;

    // Only the properties set on the font are applied (a font made from a
    // family name alone changes the family and keeps the report's size).
    void setFont(const QFont &font);

    void setBold(bool bold);
    void setItalic(bool italic);
    // 0 keeps the size of the font or of the report.
    void setPointSize(qreal pointSize);

    // The character format the text is written with.
    QTextCharFormat charFormat() const;

    std::unique_ptr<Element> clone() const override;
    void build(ReportBuilder &builder) const override;

private:
    QString m_text;
    QString m_id;
    QFont m_font;
    std::optional<bool> m_bold;
    std::optional<bool> m_italic;
    qreal m_pointSize = 0;
};

}  // namespace ReportEngine
