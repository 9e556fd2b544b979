#pragma once

#include <QLineEdit>

// A one-line text field. It never holds a line break: breaks that are typed,
// pasted, dropped or set from code become single spaces, because every field's
// text ends up on one line of a configuration file, where a break would start
// a new console command.
class TextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextField(QWidget *parent = nullptr);

    // Hides QLineEdit::setText, which bypasses the line-break filter.
    void setText(const QString &text);
    void setEditable(bool editable) { setReadOnly(!editable); }
    bool isEditable() const { return !isReadOnly(); }

    static QString withoutLineBreaks(const QString &text);
};
