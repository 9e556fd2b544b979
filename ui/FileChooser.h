#pragma once

#include <QFileDialog>
#include <optional>

// A modal dialog for choosing one existing file.
class FileChooser : public QFileDialog
{
    Q_OBJECT

public:
    explicit FileChooser(QWidget *owner, const QString &title);

    // Shows the dialog modally and returns the chosen file's name without its
    // folder, or nothing when the operator cancelled.
    std::optional<QString> chooseFileName();
};
