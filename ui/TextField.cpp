// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TextField.h"

#include "ui/AdjustedAccessible.h"

#include <QValidator>
#include <limits>

// A validator may rewrite what is being inserted; this one replaces line
// breaks and refuses what the field's rule forbids, so every other text is
// accepted exactly as typed.
class TextFieldFilter : public QValidator
{
public:
    explicit TextFieldFilter(TextField *field) : QValidator(field), m_field(field) {}

    State validate(QString &input, int &position) const override
    {
        const QString cleaned = TextField::withoutLineBreaks(input);
        if (cleaned.size() != input.size())
            position = std::min<int>(position, cleaned.size());
        input = cleaned;
        if (const auto &rule = m_field->m_rule) {
            const int faults = rule->breachCount(input);
            if (faults > 0 && faults > rule->breachCount(m_field->m_acceptedText))
                return Invalid;
        }
        return Acceptable;
    }

private:
    TextField *m_field;
};

namespace {

// Qt reports a read-only line edit as editable and read-only at once; a
// screen reader then offers to type where nothing can be typed.
class FieldAccessible : public AdjustedAccessible
{
public:
    using AdjustedAccessible::AdjustedAccessible;

    QAccessible::State state() const override
    {
        QAccessible::State state = AdjustedAccessible::state();
        if (state.readOnly)
            state.editable = false;
        return state;
    }
};

QAccessibleInterface *textFieldAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("TextField") || !object)
        return nullptr;
    QAccessibleInterface *qts = AdjustedAccessible::qtInterfaceOf(object);
    return qts ? new FieldAccessible(qts) : nullptr;
}

} // namespace

TextField::TextField(QWidget *parent) : QLineEdit(parent)
{
    static const bool accessible = (QAccessible::installFactory(textFieldAccessible), true);
    Q_UNUSED(accessible);
    setValidator(new TextFieldFilter(this));
    // QLineEdit would silently cut a longer text at 32767 characters.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_acceptedText = text;
        showRuleState();
    });
}

void TextField::setText(const QString &text)
{
    // A text set from code is taken as it is: measured against itself, the
    // validator accepts it, and the line edit goes on validating edits.
    m_acceptedText = withoutLineBreaks(text);
    QLineEdit::setText(m_acceptedText);
}

void TextField::setRule(Rule rule)
{
    m_rule = std::move(rule);
    showRuleState();
}

bool TextField::breaksRule() const
{
    return m_rule && m_rule->breach(text()).has_value();
}

void TextField::setCheck(std::function<std::optional<ValueNote>(QStringView)> check)
{
    m_check = std::move(check);
    showRuleState();
}

void TextField::showRuleState()
{
    if (!m_rule && !m_check)
        return;
    const std::optional<QString> fault = m_rule ? m_rule->breach(text()) : std::nullopt;
    const std::optional<ValueNote> note = !fault && m_check ? m_check(text()) : std::nullopt;
    QString tip = m_rule ? m_rule->statement : QString();
    if (fault)
        tip = tr("The game server would not get this value as shown: it %1.\n%2")
                  .arg(*fault, m_rule->statement);
    if (note)
        tip = tip.isEmpty() ? note->text : note->text + u'\n' + tip;
    setToolTip(tip);
    setAccessibleDescription(tip);

    std::optional<ValueNote::Level> mark;
    if (fault)
        mark = ValueNote::Level::Error;
    else if (note)
        mark = note->level;
    if (m_mark == mark)
        return;
    m_mark = mark;
    if (!mark)
        setStyleSheet(QString());
    else if (*mark == ValueNote::Level::Error)
        setStyleSheet(QStringLiteral("TextField { border: 2px solid rgb(192, 0, 0); }"));
    else
        setStyleSheet(QStringLiteral("TextField { border: 2px solid rgb(200, 120, 0); }"));
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
