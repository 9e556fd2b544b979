// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TextLinesModel.h"

TextLinesModel::TextLinesModel(QObject *parent) : QAbstractListModel(parent) {}

int TextLinesModel::rowCount(const QModelIndex &parent) const
{
    // A view counts its rows in int; a longer list shows its first rows.
    return parent.isValid() ? 0 : int(std::min<qsizetype>(m_lines.size(), std::numeric_limits<int>::max()));
}

QModelIndex TextLinesModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column != 0 || parent.isValid() || row >= m_lines.size())
        return {};
    return createIndex(row, column);
}

QVariant TextLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_lines.at(index.row()).toString();
    if (role == Qt::AccessibleDescriptionRole && m_describe)
        return m_describe(index.row());
    return {};
}

void TextLinesModel::append(const QString &text)
{
    insert(m_lines.size(), text);
}

void TextLinesModel::append(TextLines lines)
{
    if (lines.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_lines.size()), int(m_lines.size() + lines.size() - 1));
    m_lines.append(std::move(lines));
    endInsertRows();
}

void TextLinesModel::insert(qsizetype row, const QString &text)
{
    row = std::clamp<qsizetype>(row, 0, m_lines.size());
    beginInsertRows(QModelIndex(), int(row), int(row));
    m_lines.insert(row, text);
    endInsertRows();
}

void TextLinesModel::removeAt(qsizetype row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    beginRemoveRows(QModelIndex(), int(row), int(row));
    m_lines.removeAt(row);
    endRemoveRows();
}

bool TextLinesModel::removeFirst(const QString &text)
{
    const qsizetype row = m_lines.indexOf(text);
    if (row < 0)
        return false;
    removeAt(row);
    return true;
}

void TextLinesModel::clear()
{
    if (m_lines.isEmpty())
        return;
    beginResetModel();
    m_lines.clear();
    endResetModel();
}
