#pragma once

#include <QSaveFile>

// A text file written whole or not at all. The lines go to a new file beside
// the target, which replaces the old one only once every byte is down, so a
// failure part-way (a full disk) leaves the old file as it was. In a folder
// where no new file can be made the target is written directly instead.
// A symbolic link is written through to its target and stays a link
// (QSaveFile follows links itself), and an existing file keeps its
// permission bits.
class SafeTextFile
{
public:
    explicit SafeTextFile(const QString &fileName);

    // False when the file cannot be written at all: a folder of that name, a
    // file the user may not write, a folder the user may not write into.
    bool open();
    // Writes line and the platform's line separator, in UTF-8.
    void writeLine(const QString &line);
    void writeLines(const QStringList &lines);
    // True only when every line written reached the file.
    bool commit();

    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_file.errorString(); }

private:
    QString m_fileName;
    QSaveFile m_file;
};
