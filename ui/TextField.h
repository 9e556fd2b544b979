// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/ValueNote.h"

#include <QLineEdit>
#include <functional>
#include <optional>

// A one-line text field. It never holds a line break: breaks that are typed,
// pasted, dropped or set from code become single spaces, because every field's
// text ends up on one line of a configuration file, where a break would start
// a new console command.
class TextField : public QLineEdit
{
    Q_OBJECT

public:
    // A rule that the field's text is to keep.
    struct Rule
    {
        QString statement;                                         // the rule in one sentence
        std::function<std::optional<QString>(QStringView)> breach; // the first fault, as a phrase
        std::function<int(QStringView)> breachCount;               // how badly a text breaks it
    };

    explicit TextField(QWidget *parent = nullptr);

    // Hides QLineEdit::setText, which bypasses the line-break filter.
    void setText(const QString &text);
    void setEditable(bool editable) { setReadOnly(!editable); }
    bool isEditable() const { return !isReadOnly(); }

    // From now on the field refuses, as they are typed, pasted or dropped,
    // the edits that would make its text break the rule further. A text set
    // from code is taken as it is (so a file's value is never lost) and, while
    // it breaks the rule, the field's frame is marked and its tooltip names
    // the fault; deleting what breaks the rule is always possible.
    void setRule(Rule rule);
    bool breaksRule() const;

    // From now on the field also marks its text with what check says of it
    // (amber for a warning, red for an error) and adds that to its tooltip;
    // unlike a rule, a check never refuses an edit. recheck() asks again, for
    // when what the check depends on has changed.
    void setCheck(std::function<std::optional<ValueNote>(QStringView)> check);
    void recheck() { showRuleState(); }

    static QString withoutLineBreaks(const QString &text);

private:
    friend class TextFieldFilter;
    void showRuleState();

    std::optional<Rule> m_rule;
    std::function<std::optional<ValueNote>(QStringView)> m_check;
    QString m_acceptedText; // the text before the edit being validated
    std::optional<ValueNote::Level> m_mark;
};
