#include "configfiles/SafeTextFile.h"

#include "configfiles/ConfigurationLines.h"

#include <QFileInfo>

SafeTextFile::SafeTextFile(const QString &fileName) : m_fileName(fileName), m_file(fileName)
{
    m_file.setDirectWriteFallback(true);
}

bool SafeTextFile::open()
{
    const QFileInfo existing(m_file.fileName());
    if (!m_file.open(QIODevice::WriteOnly))
        return false;
    if (existing.exists()) {
        // The User bits tell what the current user may do, and setting them
        // would grant the owner the same; only the owner, group and other
        // bits are the file's own.
        const QFile::Permissions own =
            existing.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        m_file.setPermissions(own);
    }
    return true;
}

void SafeTextFile::writeLine(const QString &line)
{
    m_file.write((line + ConfigurationLines::lineSeparator()).toUtf8());
}

void SafeTextFile::writeLines(const QStringList &lines)
{
    for (const QString &line : lines)
        writeLine(line);
}

bool SafeTextFile::commit()
{
    return m_file.commit();
}
