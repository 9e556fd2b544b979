// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TextArea.h"

#include <QTextDocument>

TextArea::TextArea(QWidget *parent) : QPlainTextEdit(parent)
{
    // One line on the screen is one line of motd.txt: long lines scroll
    // sideways instead of wrapping into what would look like several.
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

QString TextArea::text() const
{
    QString text = document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}
