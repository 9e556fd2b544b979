// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/TextLines.h"

#include <algorithm>

TextLines::TextLines(std::initializer_list<QString> lines)
{
    for (const QString &line : lines)
        append(line);
}

TextLines::TextLines(const QStringList &lines)
{
    qsizetype length = 0;
    for (const QString &line : lines)
        length += line.size() + 1;
    m_text.reserve(length);
    m_ends.reserve(lines.size());
    for (const QString &line : lines)
        append(line);
}

TextLines TextLines::split(const QString &text)
{
    TextLines lines;
    const bool plainNewlines = !text.contains(u'\r') && (text.isEmpty() || text.endsWith(u'\n'));
    if (plainNewlines) {
        // The common case: the text is already in the kept form and is shared,
        // not copied.
        lines.m_text = text;
        lines.m_ends.reserve(text.count(u'\n'));
        for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1))
            lines.m_ends.push_back(i + 1);
        return lines;
    }
    lines.m_text.reserve(text.size() + 1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(QStringView(text).sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(QStringView(text).sliced(start));
    return lines;
}

QStringView TextLines::at(qsizetype index) const
{
    if (index < 0 || index >= size())
        return {};
    const qsizetype start = startOf(index);
    return QStringView(m_text).sliced(start, m_ends.at(index) - start - 1);
}

qsizetype TextLines::indexOf(QStringView text) const
{
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i) == text)
            return i;
    }
    return -1;
}

void TextLines::append(QStringView line)
{
    m_text.append(line);
    m_text.append(u'\n');
    m_ends.push_back(m_text.size());
}

void TextLines::append(const TextLines &lines)
{
    if (isEmpty()) {
        *this = lines;
        return;
    }
    const qsizetype offset = m_text.size();
    m_text.append(lines.m_text);
    const QList<qsizetype> ends = lines.m_ends; // shared, and safe should lines be this
    m_ends.reserve(m_ends.size() + ends.size());
    for (const qsizetype end : ends)
        m_ends.push_back(end + offset);
}

void TextLines::append(TextLines &&lines)
{
    if (isEmpty())
        *this = std::move(lines);
    else
        append(std::as_const(lines));
}

void TextLines::insert(qsizetype index, QStringView line)
{
    index = std::clamp<qsizetype>(index, 0, size());
    const qsizetype start = startOf(index);
    m_text.insert(start, line.toString() + u'\n');
    m_ends.insert(m_ends.begin() + index, start + line.size() + 1);
    shiftEnds(index + 1, line.size() + 1);
}

void TextLines::removeAt(qsizetype index)
{
    if (index < 0 || index >= size())
        return;
    const qsizetype start = startOf(index);
    const qsizetype length = m_ends.at(index) - start;
    m_text.remove(start, length);
    m_ends.erase(m_ends.begin() + index);
    shiftEnds(index, -length);
}

void TextLines::clear()
{
    // Gives the memory back too: a cleared rotation may have held a million maps.
    *this = TextLines();
}

void TextLines::shiftEnds(qsizetype from, qsizetype by)
{
    for (auto end = m_ends.begin() + from; end != m_ends.end(); ++end)
        *end += by;
}

QStringList TextLines::toStringList() const
{
    QStringList lines;
    lines.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        lines.append(at(i).toString());
    return lines;
}
