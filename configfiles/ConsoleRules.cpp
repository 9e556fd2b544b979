// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConsoleRules.h"

#include "configfiles/FieldTable.h"

#include <algorithm>
#include <limits>

namespace ConsoleRules {

namespace {

struct Rule
{
    QStringView refused; // printable characters the kind may not hold
    bool refusesLeadingComment;
    qsizetype maximumLength;
    QStringView statement;
};

const Rule &ruleOf(ValueKind kind)
{
    // Public info holds keys and values of fewer than 64 characters; the
    // console's tokens hold fewer than 128.
    static const Rule publicInfo{
        u"\\\";", false, 63,
        u"Printable ASCII only (space to ~), without \\ \" or ;, at most 63 characters: "
        u"the server publishes this value in its public info."};
    static const Rule unquoted{
        u" ;\"$", true, 127,
        u"Printable ASCII only (! to ~), without spaces, ; \" or $, not beginning with //, "
        u"at most 127 characters: the console reads this value as one unquoted word."};
    return kind == ValueKind::PublicInfo ? publicInfo : unquoted;
}

bool printable(QChar c)
{
    return c >= u' ' && c <= u'~';
}

QString whyRefused(ValueKind kind, QChar c)
{
    switch (c.unicode()) {
    case u';':
        return QStringLiteral("holds ;, which ends a console command");
    case u'"':
        return kind == ValueKind::PublicInfo ? QStringLiteral("holds \", which ends the quoted value early")
                                             : QStringLiteral("holds \", which starts a quoted word");
    case u'\\':
        return QStringLiteral("holds \\, which public info refuses");
    case u'$':
        return QStringLiteral("holds $, which the console expands to a variable's value");
    case u' ':
        return QStringLiteral("holds a space, which ends the word");
    }
    if (c < u' ' || c == QChar(0x7f))
        return QStringLiteral("holds a line break or another control character");
    return QStringLiteral("holds %1, which is not printable ASCII").arg(c);
}

bool refused(const Rule &rule, QChar c)
{
    return !printable(c) || rule.refused.contains(c);
}

bool beginsWithComment(const Rule &rule, QStringView value)
{
    return rule.refusesLeadingComment && value.startsWith(u"//");
}

} // namespace

ValueKind kindOf(TextControl control)
{
    return FieldTable::textField(control).kind;
}

QString statement(ValueKind kind)
{
    return ruleOf(kind).statement.toString();
}

std::optional<QString> breach(ValueKind kind, QStringView value)
{
    const Rule &rule = ruleOf(kind);
    for (const QChar c : value) {
        if (refused(rule, c))
            return whyRefused(kind, c);
    }
    if (beginsWithComment(rule, value))
        return QStringLiteral("begins with //, which starts a comment");
    if (value.size() > rule.maximumLength)
        return QStringLiteral("is longer than %1 characters").arg(rule.maximumLength);
    return std::nullopt;
}

int breachCount(ValueKind kind, QStringView value)
{
    const Rule &rule = ruleOf(kind);
    qsizetype count = std::count_if(value.begin(), value.end(), [&](QChar c) { return refused(rule, c); });
    count += beginsWithComment(rule, value) ? 1 : 0;
    count += qMax<qsizetype>(0, value.size() - rule.maximumLength);
    return int(qMin<qsizetype>(count, std::numeric_limits<int>::max()));
}

qsizetype maximumLength(ValueKind kind)
{
    return ruleOf(kind).maximumLength;
}

} // namespace ConsoleRules
