// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/FileChooser.h"

#include <QFileDialog>
#include <QFileInfo>

FileChooser::FileChooser(QWidget *owner, const QString &title)
    : QObject(owner), m_owner(owner), m_title(title)
{}

std::optional<QString> FileChooser::chooseFileName()
{
    if (!m_dialog) {
        m_dialog = new QFileDialog(m_owner, m_title);
        m_dialog->setFileMode(QFileDialog::ExistingFile);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog->setNameFilters({tr("Quake II maps (*.bsp)"), tr("All files (*)")});
    }
    if (m_dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = m_dialog->selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QFileInfo(chosen.first()).fileName();
}
