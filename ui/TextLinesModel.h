// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "text/TextLines.h"

#include <QAbstractListModel>
#include <functional>

// The items of a list as a model: one row for each line of a TextLines,
// shown as its text. The operations are a list's, by index and by text.
class TextLinesModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TextLinesModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // A list view asks for the index of every row each time it lays the list
    // out; this answers without the general model's checks.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // What a screen reader is told of a row beyond its text, asked for when
    // it is needed; none when describe is empty.
    void setDescriptions(std::function<QString(int row)> describe) { m_describe = std::move(describe); }

    const TextLines &lines() const { return m_lines; }
    qsizetype size() const { return m_lines.size(); }
    QString at(qsizetype row) const { return m_lines.at(row).toString(); }
    // -1 when no item's text equals text, letter case included.
    qsizetype indexOf(const QString &text) const { return m_lines.indexOf(text); }

    void append(const QString &text);
    // Appends every line in order, as one change of the list.
    void append(TextLines lines);
    void insert(qsizetype row, const QString &text);
    void removeAt(qsizetype row);
    // Removes the first item whose text equals text, letter case included.
    // Returns false, changing nothing, when no item has that text.
    bool removeFirst(const QString &text);
    void clear();

private:
    TextLines m_lines;
    std::function<QString(int row)> m_describe;
};
