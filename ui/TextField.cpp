#include "ui/TextField.h"

#include <QRegularExpression>
#include <QValidator>

namespace {

// A validator may rewrite what is being inserted; this one only replaces line
// breaks, so every other text is accepted exactly as typed.
class LineBreakFilter : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        const QString cleaned = TextField::withoutLineBreaks(input);
        if (cleaned.size() != input.size())
            position = std::min<int>(position, cleaned.size());
        input = cleaned;
        return Acceptable;
    }
};

} // namespace

TextField::TextField(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new LineBreakFilter(this));
}

void TextField::setText(const QString &text)
{
    QLineEdit::setText(withoutLineBreaks(text));
}

QString TextField::withoutLineBreaks(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString cleaned = text;
    return cleaned.replace(lineBreak, QStringLiteral(" "));
}
