#include "ui/FileChooser.h"

#include <QFileInfo>

FileChooser::FileChooser(QWidget *owner, const QString &title) : QFileDialog(owner, title)
{
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setModal(true);
    setNameFilters({tr("Quake II maps (*.bsp)"), tr("All files (*)")});
}

std::optional<QString> FileChooser::chooseFileName()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QFileInfo(chosen.first()).fileName();
}
