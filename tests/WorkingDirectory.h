// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace TestSupport {

// A temporary folder made the working directory for as long as it lives.
class WorkingDirectory
{
public:
    WorkingDirectory() : m_previous(QDir::currentPath())
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

} // namespace TestSupport
