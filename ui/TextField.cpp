#include "ui/TextField.h"

#include <QValidator>
#include <limits>

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
    // QLineEdit would silently cut a longer text at 32767 characters.
    setMaxLength(std::numeric_limits<int>::max());
}

void TextField::setText(const QString &text)
{
    QLineEdit::setText(withoutLineBreaks(text));
}

QString TextField::withoutLineBreaks(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString cleaned;
    cleaned.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue; // CR LF is one break: its LF becomes the space
        cleaned.append(c == u'\r' || c == u'\n' ? QChar(u' ') : c);
    }
    return cleaned;
}
