// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QPlainTextEdit>

// A text area of several lines whose text is handed on as the operator typed
// it, with a line feed between lines.
class TextArea : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextArea(QWidget *parent = nullptr);

    // Unlike toPlainText(), keeps no-break spaces: only the line breaks
    // between paragraphs and within them become line feeds.
    QString text() const;
};
