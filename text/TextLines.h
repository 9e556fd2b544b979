// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <initializer_list>

// A list of lines kept as one text, each line followed by '\n', with the
// end of every line noted. A map rotation can hold a million names: as
// separate strings they cost a heap block each, here they cost their
// characters and one offset, and the file they come from or go to is one
// text. Lines are kept as given; a line that holds '\n' itself still counts
// as one.
class TextLines
{
public:
    TextLines() = default;
    TextLines(std::initializer_list<QString> lines);
    // Implicit, so that a QStringList can stand wherever lines are wanted.
    TextLines(const QStringList &lines);

    // The lines of text, each ending at "\n", "\r\n" or "\r", and a last
    // one without an ending.
    static TextLines split(const QString &text);

    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    QStringView at(qsizetype index) const;
    QString operator[](qsizetype index) const { return at(index).toString(); }
    // -1 when no line equals text, letter case included.
    qsizetype indexOf(QStringView text) const;
    bool contains(QStringView text) const { return indexOf(text) >= 0; }

    void append(QStringView line);
    void append(const TextLines &lines);
    void append(TextLines &&lines);
    // An index past the end appends; a negative one inserts at the start.
    void insert(qsizetype index, QStringView line);
    void removeAt(qsizetype index);
    void clear();

    // Every line followed by '\n': the text of a file of these lines.
    const QString &text() const { return m_text; }
    QStringList toStringList() const;

    friend bool operator==(const TextLines &a, const TextLines &b)
    {
        return a.m_ends == b.m_ends && a.m_text == b.m_text;
    }

private:
    qsizetype startOf(qsizetype index) const { return index == 0 ? 0 : m_ends.at(index - 1); }
    void shiftEnds(qsizetype from, qsizetype by);

    QString m_text;
    // One past each line's '\n'. Shared on copy, like the text, so that a
    // save can take the rotation as it stands without copying it.
    QList<qsizetype> m_ends;
};
