#include "ui/TextArea.h"

#include <QTextDocument>

TextArea::TextArea(QWidget *parent) : QPlainTextEdit(parent) {}

QString TextArea::text() const
{
    QString text = document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}
