// SPDX-License-Identifier: GPL-2.0-or-later
// Safe file access as any user: which links are followed, what is not a
// file, and a journal left by an interrupted save that the next write must
// refuse, changing nothing.
#include "WorkingDirectory.h"

#include "files/FileSetWriter.h"
#include "files/LinkRule.h"
#include "files/RegularFileReading.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::WorkingDirectory;

namespace {

// Users that no system has; the messages name them by number alone.
constexpr uid_t me = 4000000001;
constexpr uid_t other = 4000000002;
constexpr uid_t third = 4000000003;

struct stat folderOf(uid_t owner, int mode)
{
    struct stat info = {};
    info.st_uid = owner;
    info.st_mode = S_IFDIR | mode_t(mode);
    return info;
}

struct stat ownedBy(uid_t owner, mode_t kind = S_IFLNK)
{
    struct stat info = {};
    info.st_uid = owner;
    info.st_mode = kind | 0777;
    return info;
}

void put(const QString &name, const QByteArray &bytes, mode_t mode = 0644)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(::chmod(QFile::encodeName(name).constData(), mode) == 0);
}

QByteArray contents(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QByteArray linkTarget(const char *name)
{
    char target[4096];
    const ssize_t length = ::readlink(name, target, sizeof target);
    return length < 0 ? QByteArray("(no link)") : QByteArray(target, length);
}

// Every name in the working folder with what it is: a regular file's mode
// and contents, a link's target, the kind of anything else.
QByteArray folderState()
{
    QByteArray state;
    for (const QString &name :
         QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray path = QFile::encodeName(name);
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0)
            continue;
        state += path + ' ' + QByteArray::number(info.st_mode, 8) + ' ';
        if (S_ISREG(info.st_mode))
            state += contents(name);
        else if (S_ISLNK(info.st_mode))
            state += linkTarget(path.constData());
        state += '\n';
    }
    return state;
}

// "DEVICE:INODE" of the working folder, as a journal names it.
QByteArray workingId()
{
    struct stat info = {};
    if (::stat(".", &info) != 0)
        return QByteArray();
    return QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino));
}

QString currentUser()
{
    const struct passwd *entry = ::getpwuid(::geteuid());
    return entry ? QStringLiteral("user %1 (%2)").arg(QString::fromLocal8Bit(entry->pw_name)).arg(::geteuid())
                 : QStringLiteral("user %1").arg(::geteuid());
}

const QString notUnderstood = QStringLiteral(
    "the journal .kezcfg-journal of an interrupted save cannot be understood; it was left untouched: "
    "remove it once the files are as they should be");

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void linkRule_data();
    void linkRule();
    void aLinkFollowedOnConditionIsSettledByWhatItReaches();
    void ownLinksAreFollowedAndNonFilesRefused();
    void anotherUsersLinkToAFileOfRootIsRefused();
    void aJournalOutsideTheRulesChangesNothing_data();
    void aJournalOutsideTheRulesChangesNothing();
    void aJournalWithinTheRulesIsCarriedOut();
};

void TestFiles::linkRule_data()
{
    QTest::addColumn<uid_t>("folderOwner");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<uid_t>("linkOwner");
    QTest::addColumn<bool>("trustRoot");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("owes");

    const QString sticky = QStringLiteral("\"/tmp/l\" is a link of user %1 in a shared sticky folder, and "
                                          "only your own links or those of the folder's owner are followed "
                                          "there");
    QTest::newRow("own link in a shared sticky folder")
        << uid_t(0) << 01777 << me << false << QString() << false;
    QTest::newRow("another's link in a shared sticky folder")
        << uid_t(0) << 01777 << other << false << sticky.arg(other) << true;
    QTest::newRow("the sticky folder owner's link") << other << 01777 << other << false << QString() << true;
    QTest::newRow("root's link, writing a file")
        << uid_t(0) << 01777 << uid_t(0) << false << QString() << true;
    QTest::newRow("root's link, on the way to a folder")
        << uid_t(0) << 01777 << uid_t(0) << true << QString() << false;
    QTest::newRow("root's link in another's sticky folder, on the way to a folder")
        << other << 01777 << uid_t(0) << true << QString() << false;
    QTest::newRow("root's link in another's sticky folder, writing a file")
        << other << 01777 << uid_t(0) << false << sticky.arg(QStringLiteral("root (0)")) << true;
    QTest::newRow("another's link in a folder nobody else writes")
        << third << 0755 << other << false << QString() << true;
    QTest::newRow("sticky but not shared") << third << 01775 << other << true << QString() << true;
}

void TestFiles::linkRule()
{
    QFETCH(uid_t, folderOwner);
    QFETCH(int, folderMode);
    QFETCH(uid_t, linkOwner);
    QFETCH(bool, trustRoot);
    QFETCH(QString, refusal);
    QFETCH(bool, owes);

    bool owing = !owes;
    const std::optional<QString> judged =
        LinkRule::judge(folderOf(folderOwner, folderMode), ownedBy(linkOwner), "/tmp/l", me,
                        trustRoot ? LinkRule::Trust::OwnAndRootsLinks : LinkRule::Trust::OwnLinks, owing);
    QCOMPARE(judged.value_or(QString()), refusal);
    QCOMPARE(owing, owes);
}

void TestFiles::aLinkFollowedOnConditionIsSettledByWhatItReaches()
{
    const LinkRule::Owed owed{other, "cfg/server.cfg", "/etc/shadow"};
    const struct stat ofTheOwner = ownedBy(other, S_IFREG);
    QVERIFY(!LinkRule::settle(owed, &ofTheOwner));
    const struct stat ofAThird = ownedBy(third, S_IFREG);
    QCOMPARE(
        LinkRule::settle(owed, &ofAThird).value_or(QString()),
        QStringLiteral("\"cfg/server.cfg\" is a link of user 4000000002 to \"/etc/shadow\", which belongs "
                       "to user 4000000003; a link is followed only when it is your own or its owner "
                       "owns what it leads to"));
    QCOMPARE(LinkRule::settle(owed, nullptr).value_or(QString()),
             QStringLiteral("\"cfg/server.cfg\" is a link of user 4000000002 to \"/etc/shadow\", which does "
                            "not exist; only your own links are followed to make a file"));
}

void TestFiles::ownLinksAreFollowedAndNonFilesRefused()
{
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir(QStringLiteral("real")));
    put(QStringLiteral("real/server.cfg"), "old\n");
    QVERIFY(::symlink("real/server.cfg", "server.cfg") == 0);
    QVERIFY(::symlink("b", "a") == 0);
    QVERIFY(::symlink("a", "b") == 0);
    QVERIFY(::mkfifo("fifo", 0644) == 0);
    QVERIFY(QDir().mkdir(QStringLiteral("motd.txt")));

    const FileSetOutcome written = FileSetWriter::write({{QStringLiteral("server.cfg"), {"new\n"}}});
    QVERIFY2(written.complete, qPrintable(written.message()));
    QCOMPARE(contents(QStringLiteral("real/server.cfg")), QByteArray("new\n"));
    QCOMPARE(linkTarget("server.cfg"), QByteArray("real/server.cfg"));
    QCOMPARE(readRegularFile(QStringLiteral("server.cfg"), 100).bytes, QByteArray("new\n"));

    const QByteArray before = folderState();
    QCOMPARE(FileSetWriter::write({{QStringLiteral("a"), {"x"}}}).message(),
             QStringLiteral(
                 "could not write a: too many links lead on from one to the next; no file was changed"));
    QCOMPARE(
        FileSetWriter::write({{QStringLiteral("server.cfg"), {"x"}}, {QStringLiteral("fifo"), {"x"}}})
            .message(),
        QStringLiteral("could not write fifo: it leads to a FIFO, and only regular files are written; no "
                       "file was changed"));
    QCOMPARE(FileSetWriter::write({{QStringLiteral("motd.txt"), {"x"}}}).message(),
             QStringLiteral("could not write motd.txt: it leads to a folder, and only regular files are "
                            "written; no file was changed"));
    QCOMPARE(folderState(), before);

    const RegularFileRead fifo = readRegularFile(QStringLiteral("fifo"), 100);
    QCOMPARE(fifo.outcome, RegularFileRead::Outcome::NotRead);
    QCOMPARE(fifo.reason, QStringLiteral("it is not a regular file"));
    const RegularFileRead folder = readRegularFile(QStringLiteral("motd.txt"), 100);
    QCOMPARE(folder.outcome, RegularFileRead::Outcome::NotOpened);
    QCOMPARE(folder.reason, QStringLiteral("it is a folder"));
    QCOMPARE(readRegularFile(QStringLiteral("server.cfg"), 3).reason,
             QStringLiteral("it is larger than 3 bytes"));
}

void TestFiles::anotherUsersLinkToAFileOfRootIsRefused()
{
    if (::geteuid() != 0)
        QSKIP("only root can give a link to another user; linkRule judges the same case for anyone");
    WorkingDirectory dir;
    put(QStringLiteral("secret"), "root's\n", 0600);
    QVERIFY(::symlink("secret", "server.cfg") == 0);
    QVERIFY(::lchown("server.cfg", other, other) == 0);
    const QByteArray before = folderState();
    QCOMPARE(FileSetWriter::write({{QStringLiteral("server.cfg"), {"x"}}}).message(),
             QStringLiteral("could not write server.cfg: \"server.cfg\" is a link of user 4000000002 to "
                            "\"secret\", which belongs to user root (0); a link is followed only when it is "
                            "your own or its owner owns what it leads to; no file was changed"));
    QCOMPARE(readRegularFile(QStringLiteral("server.cfg"), 100).outcome, RegularFileRead::Outcome::NotOpened);
    QCOMPARE(folderState(), before);
}

void TestFiles::aJournalOutsideTheRulesChangesNothing_data()
{
    QTest::addColumn<QByteArray>("journal"); // "@" stands for the working folder's identity
    QTest::addColumn<int>("mode");           // 0: a FIFO, -1: a folder
    QTest::addColumn<QString>("message");

    const QByteArray line = "replace . server.cfg .server.cfg.kezcfg-Ab3dE9 @\n";
    const QString notMine =
        QStringLiteral("the journal .kezcfg-journal of an interrupted save was not made by "
                       "this user (%1); it was left untouched: remove it once the files are "
                       "as they should be");
    QTest::newRow("a FIFO") << QByteArray() << 0 << notMine;
    QTest::newRow("a folder") << QByteArray() << -1
                              << QStringLiteral(
                                     "the journal .kezcfg-journal of an interrupted save cannot be "
                                     "read: it is a folder");
    QTest::newRow("others may change it") << "kezcfg-journal 1 @\n" + line + "end\n" << 0664 << notMine;
    QTest::newRow("larger than a journal is") << "kezcfg-journal 1 @\n" + line.repeated(1400) + "end\n"
                                              << 0644 << notMine;
    QTest::newRow("another version") << "kezcfg-journal 2 @\n" + line + "end\n" << 0644 << notUnderstood;
    QTest::newRow("another folder's") << "kezcfg-journal 1 1:1\n" + line + "end\n" << 0644 << notUnderstood;
    QTest::newRow("cut short") << "kezcfg-journal 1 @\n" + line << 0644 << notUnderstood;
    QTest::newRow("a name with a folder")
        << QByteArray("kezcfg-journal 1 @\nreplace . cfg/server.cfg .server.cfg.kezcfg-Ab3dE9 @\nend\n")
        << 0644 << notUnderstood;
    QTest::newRow("a name with a folder, encoded")
        << QByteArray("kezcfg-journal 1 @\nreplace . cfg%2Fserver.cfg .server.cfg.kezcfg-Ab3dE9 @\nend\n")
        << 0644 << notUnderstood;
    QTest::newRow("a temporary file that is not one")
        << QByteArray("kezcfg-journal 1 @\nreplace . server.cfg motd.txt @\nend\n") << 0644 << notUnderstood;
    QTest::newRow("a removal outside the working folder")
        << QByteArray("kezcfg-journal 1 @\nremove real server.cfg - @\nend\n") << 0644 << notUnderstood;
    QTest::newRow("a removal of the folder above")
        << QByteArray("kezcfg-journal 1 @\nremove . .. - @\nend\n") << 0644 << notUnderstood;
    QTest::newRow("an unknown change")
        << QByteArray("kezcfg-journal 1 @\nrename . server.cfg .server.cfg.kezcfg-Ab3dE9 @\nend\n") << 0644
        << notUnderstood;
    QTest::newRow("a folder that is no longer the one")
        << QByteArray("kezcfg-journal 1 @\nreplace . server.cfg .server.cfg.kezcfg-Ab3dE9 1:1\nend\n") << 0644
        << QStringLiteral(
               "an interrupted save could not put server.cfg in place: its folder is no longer the "
               "one that was being written; the journal .kezcfg-journal stays for the next try");
}

void TestFiles::aJournalOutsideTheRulesChangesNothing()
{
    QFETCH(QByteArray, journal);
    QFETCH(int, mode);
    QFETCH(QString, message);

    WorkingDirectory dir;
    put(QStringLiteral("server.cfg"), "old\n");
    put(QStringLiteral(".server.cfg.kezcfg-Ab3dE9"), "new\n", 0600);
    if (mode == 0)
        QVERIFY(::mkfifo(".kezcfg-journal", 0600) == 0);
    else if (mode < 0)
        QVERIFY(QDir().mkdir(QStringLiteral(".kezcfg-journal")));
    else
        put(QStringLiteral(".kezcfg-journal"), journal.replace('@', workingId()), mode_t(mode));
    const QString expected = message.contains(u"%1") ? message.arg(currentUser()) : message;
    const QByteArray before = folderState();

    const Recovery recovery = FileSetWriter::recover();
    QCOMPARE(recovery.outcome, Recovery::Outcome::Failed);
    QCOMPARE(recovery.message, expected);
    QCOMPARE(FileSetWriter::write({{QStringLiteral("motd.txt"), {"x"}}}).message(),
             QStringLiteral("could not write .kezcfg-journal: %1; no file was changed").arg(expected));
    QCOMPARE(folderState(), before);
}

void TestFiles::aJournalWithinTheRulesIsCarriedOut()
{
    WorkingDirectory dir;
    put(QStringLiteral("server.cfg"), "old\n");
    put(QStringLiteral("motd.txt~"), "kept\n");
    put(QStringLiteral(".server.cfg.kezcfg-Ab3dE9"), "new\n", 0600);
    put(QStringLiteral(".kezcfg-journal"),
        "kezcfg-journal 1 " + workingId() + "\nreplace . server.cfg .server.cfg.kezcfg-Ab3dE9 " +
            workingId() + "\nremove . motd.txt~ - " + workingId() + "\nend\n");
    const QByteArray before = folderState();

    // Held by a writer under way: left to it.
    {
        const int held = ::open(".kezcfg-journal", O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        const Recovery busy = FileSetWriter::recover();
        ::close(held);
        QCOMPARE(busy.outcome, Recovery::Outcome::Busy);
        QCOMPARE(busy.message, QStringLiteral("another save or apply is writing in this folder"));
    }
    const Recovery found = FileSetWriter::inspect();
    QCOMPARE(found.outcome, Recovery::Outcome::Completed);
    QCOMPARE(found.message,
             QStringLiteral("a save or apply was interrupted while it put server.cfg, motd.txt~ in "
                            "place; the next Save, Open or apply completes it"));
    QCOMPARE(folderState(), before);

    const Recovery done = FileSetWriter::recover();
    QCOMPARE(done.outcome, Recovery::Outcome::Completed);
    QCOMPARE(done.message,
             QStringLiteral("an interrupted save was completed: server.cfg, motd.txt~ put in place"));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("server.cfg")});
    QCOMPARE(contents(QStringLiteral("server.cfg")), QByteArray("new\n"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
