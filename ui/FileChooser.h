// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

class QFileDialog;
class QWidget;

// A modal dialog for choosing one existing file. The dialog window itself is
// built the first time it is shown and kept for later showings: building a
// file dialog costs more start-up time and memory than the rest of the form.
class FileChooser : public QObject
{
    Q_OBJECT

public:
    FileChooser(QWidget *owner, const QString &title);

    // Shows the dialog modally and returns the chosen file's name without its
    // folder, or nothing when the operator cancelled.
    std::optional<QString> chooseFileName();

private:
    QWidget *m_owner;
    QString m_title;
    QPointer<QFileDialog> m_dialog;
};
