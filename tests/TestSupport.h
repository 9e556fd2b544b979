#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace TestSupport {

// Queues an action for the modal dialog that the next call will open, so that
// a test can act on a dialog while the command that opened it waits.
inline void whenModalOpens(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY2(dialog, "no modal dialog was open");
        action(dialog);
    });
}

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
