// SPDX-License-Identifier: GPL-2.0-or-later
// What root does in a folder of another user who races it: a name swapped
// for a link while it is read, a link planted as the game folder itself, and
// a window Save while an apply is under way.
#include "SaveRun.h"
#include "WorkingDirectory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::WorkingDirectory;

namespace {

constexpr uid_t nobody = 65534;

void put(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

struct Run
{
    int status = -1;
    QByteArray output; // standard output, then standard error
};

Run kezcfg(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(KEZCFG), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(20000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput() + process.readAllStandardError()};
}

// Everything in a folder, names and contents.
QByteArray folderState(const QString &path)
{
    QByteArray state;
    const QDir folder(path);
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        state += name.toUtf8() + ": " + contents(folder.filePath(name)) + '\n';
    return state;
}

} // namespace

class TestFolderAccess : public QObject
{
    Q_OBJECT

private slots:
    void aNameSwappedForALinkLeaksNothing();
    void aPlantedGameFolderIsRefused();
    void aLinkOnALinksWayIsJudged();
    void aPlantedJournalIsNeverCarriedOut();
    void aWindowSaveWaitsForAnApply();
};

void TestFolderAccess::aNameSwappedForALinkLeaksNothing()
{
    if (::geteuid() != 0)
        QSKIP("the race is root reading in a folder of nobody");
    WorkingDirectory dir;
    QVERIFY(SaveRun().run());
    put("secret", "root only 4711\n");
    QCOMPARE(::chmod("secret", 0600), 0);
    QCOMPARE(::symlink("secret", "swap"), 0);
    QCOMPARE(::lchown("swap", nobody, nobody), 0);
    QCOMPARE(::chown(".", nobody, nobody), 0);
    const QByteArray calm = kezcfg({"apply", "--check", ".", "-"}, R"({"fragLimit": 7})").output;
    QVERIFY2(calm.startsWith("changed: server.cfg\n"), calm.constData());

    // The folder's owner exchanges server.cfg and its link to root's file
    // as fast as it can.
    const pid_t racer = ::fork();
    QVERIFY(racer >= 0);
    if (racer == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(1);
        for (;;)
            ::renameat2(AT_FDCWD, "server.cfg", AT_FDCWD, "swap", RENAME_EXCHANGE);
    }
    int tries = 0;
    int met = 0; // runs whose output the exchange changed
    int leaks = 0;
    for (; tries < 300; ++tries) {
        const QStringList arguments =
            tries % 3 == 2 ? QStringList{"show", "."} : QStringList{"apply", "--check", ".", "-"};
        const Run run = kezcfg(arguments, R"({"fragLimit": 7})");
        if (run.output.contains("4711")) {
            ++leaks;
            qWarning("leaked: %s", run.output.constData());
        }
        if (arguments.first() == "apply" && run.output != calm)
            ++met;
    }
    ::kill(racer, SIGKILL);
    ::waitpid(racer, nullptr, 0);
    qInfo("exchange race: %d tries, %d met the exchange, %d leaked", tries, met, leaks);
    QCOMPARE(leaks, 0);
    QVERIFY2(met > 0, "the exchange never met a read: the race proves nothing");
}

void TestFolderAccess::aPlantedGameFolderIsRefused()
{
    if (::geteuid() != 0)
        QSKIP("a link of another user is planted by root");
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir("rootonly") && QDir().mkdir("q2") && QDir().mkdir("q2/own"));
    QCOMPARE(::chmod("rootonly", 0700), 0);
    put("rootonly/server.cfg", "set rcon_password rootsecret\n");
    QCOMPARE(::chmod("rootonly/server.cfg", 0600), 0);
    QVERIFY(QDir().mkdir("q2/moved"));
    for (const char *name : {"q2", "q2/own"})
        QCOMPARE(::chown(name, nobody, nobody), 0);
    const QByteArray root = QFile::encodeName(dir.path());
    QCOMPARE(::symlink(root + "/rootonly", "q2/kez"), 0);
    QCOMPARE(::symlink("own", "q2/owned"), 0);
    for (const char *name : {"q2/kez", "q2/owned"})
        QCOMPARE(::lchown(name, nobody, nobody), 0);
    QCOMPARE(::symlink(root + "/rootonly", "mine"), 0); // root's own
    const QByteArray before = folderState("rootonly");

    const QString link = dir.path() + "/q2/kez";
    const QByteArray refusal = "kezcfg: will not go into the folder \"" + link.toUtf8() + "\": \"" +
                               link.toUtf8() + "\" is a link of user nobody (65534) to \"" + root +
                               "/rootonly\", which belongs to user root (0)";
    const QByteArray json = R"({"serverName": "x", "motd": "hello"})";
    for (const QStringList &arguments :
         {QStringList{"apply", link, "-"}, QStringList{"apply", "--check", link, "-"},
          QStringList{"show", link}, QStringList{"check", link}, QStringList{"maps", link},
          QStringList{"status", "--rcon", "--against", link, "127.0.0.1:9"}}) {
        const Run run = kezcfg(arguments, json);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.output.startsWith(refusal), run.output.constData());
        QVERIFY(run.output.contains("; nothing was read or written"));
    }
    // Named from inside, the same folder is refused the same way.
    QVERIFY(QDir::setCurrent("q2"));
    const Run relative = kezcfg({"show", "kez"});
    QVERIFY(QDir::setCurrent(dir.path()));
    QCOMPARE(relative.status, 2);
    QVERIFY2(relative.output.contains("\"" + link.toUtf8() + "\" is a link of user nobody (65534)"),
             relative.output.constData());
    const Run reload = kezcfg({"reload", link, "127.0.0.1:9"});
    QCOMPARE(reload.status, 2);
    QVERIFY(!reload.output.contains("rootsecret"));
    // The window started there, as a shell that went in through the link
    // starts it, refuses the folder before it reads anything.
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PWD", link);
    window.setProcessEnvironment(environment);
    window.setWorkingDirectory(link);
    window.start(QStringLiteral(WINDOW), {});
    QVERIFY(window.waitForFinished(20000));
    QCOMPARE(window.exitCode(), 2);
    const QByteArray windowSaid = window.readAllStandardError();
    QVERIFY2(windowSaid.contains("is a link of user nobody (65534)") &&
                 windowSaid.contains("; nothing was read or written"),
             windowSaid.constData());
    QCOMPARE(folderState("rootonly"), before);

    // A folder of root's that nobody's folder holds: nobody could have moved it there.
    const Run moved = kezcfg({"show", "q2/moved"});
    QCOMPARE(moved.status, 2);
    QVERIFY2(moved.output.contains("\"" + root +
                                   "/q2/moved\" belongs to user root (0) and is reached from \"" + root +
                                   "/q2\", a folder of user nobody (65534)"),
             moved.output.constData());

    // Root's own link, and nobody's link to nobody's folder, are followed.
    const Run own = kezcfg({"apply", "--check", "mine", "-"}, R"({"fragLimit": 7})");
    QVERIFY2(own.status == 0 && own.output.contains("+set fraglimit 7"), own.output.constData());
    QCOMPARE(kezcfg({"apply", "q2/owned", "-"}, json).output, "changed: server.cfg motd.txt\n");
    QVERIFY(contents("q2/own/server.cfg").contains("set hostname \"x\""));
}

void TestFolderAccess::aLinkOnALinksWayIsJudged()
{
    if (::geteuid() != 0)
        QSKIP("a link of another user is planted by root");
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir("rootonly"));
    QCOMPARE(::chmod("rootonly", 0700), 0);
    put("rootonly/server.cfg", "set rcon_password rootsecret\n");
    // Root's own link, through a folder link that nobody may swap.
    QCOMPARE(::symlink("data/server.cfg", "server.cfg"), 0);
    QCOMPARE(::symlink("rootonly", "data"), 0);
    QCOMPARE(::lchown("data", nobody, nobody), 0);
    QCOMPARE(::chown(".", nobody, nobody), 0);
    const Run show = kezcfg({"check", "."});
    QCOMPARE(show.status, 2);
    QVERIFY2(show.output.contains(
                 "\"data\" is a link of user nobody (65534) to \"rootonly\", which belongs to user root (0)"),
             show.output.constData());
    QVERIFY(!show.output.contains("rootsecret"));
    const Run apply = kezcfg({"apply", ".", "-"}, R"({"serverName": "x"})");
    QCOMPARE(apply.status, 2);
    QVERIFY(apply.output.contains("\"data\" is a link of user nobody (65534)"));
    QCOMPARE(contents("rootonly/server.cfg"), "set rcon_password rootsecret\n");

    // With the folder link root's own, the same way is followed.
    QVERIFY(QFile::remove("data"));
    QCOMPARE(::symlink("rootonly", "data"), 0);
    QVERIFY(kezcfg({"show", "."}).output.contains("rootsecret"));

    // check follows exec through the same rule: nobody's folder link to
    // root's folder is no way to learn what root's files set.
    put("rootonly/extra.cfg", "set fraglimit 77\n");
    QVERIFY(QFile::remove("data") && QFile::remove("server.cfg"));
    QCOMPARE(::symlink("rootonly", "data"), 0);
    QCOMPARE(::lchown("data", nobody, nobody), 0);
    put("server.cfg", "set fraglimit 25\nexec data/extra.cfg\nexec rootonly/extra.cfg\n");
    const Run check = kezcfg({"check", "."});
    QVERIFY2(!check.output.contains("exec data/extra.cfg: data/extra.cfg line 1"), check.output.constData());
    QVERIFY2(check.output.contains("exec rootonly/extra.cfg: rootonly/extra.cfg line 1"),
             check.output.constData());
}

void TestFolderAccess::aPlantedJournalIsNeverCarriedOut()
{
    if (::geteuid() != 0)
        QSKIP("the journal of another user is planted by root");
    WorkingDirectory dir;
    QVERIFY(SaveRun().run());
    // A journal that would have root put nobody's file in server.cfg's place.
    put(".server.cfg.kezcfg-AAAAAA", "set rcon_password planted\n");
    put(".kezcfg-journal", "kezcfg-journal 1 0:0\nreplace . server.cfg .server.cfg.kezcfg-AAAAAA 0:0\nend\n");
    for (const char *name : {".", ".kezcfg-journal", ".server.cfg.kezcfg-AAAAAA"})
        QCOMPARE(::chown(name, nobody, nobody), 0);
    const QByteArray before = folderState(".");
    const QByteArray refusal = "the journal .kezcfg-journal of an interrupted save was not made by this user "
                               "(user nobody (65534)); it was left untouched";
    const Run apply = kezcfg({"apply", ".", "-"}, R"({"serverName": "x"})");
    QCOMPARE(apply.status, 2);
    QVERIFY2(apply.output.contains(refusal), apply.output.constData());
    SaveRun window;
    QVERIFY(!window.run());
    QCOMPARE(folderState("."), before);
}

void TestFolderAccess::aWindowSaveWaitsForAnApply()
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        QSKIP("an apply is held before its rename by strace");
    // What the window's save alone writes.
    SaveRun window;
    window.settings.text(TextControl::ServerName) = "window";
    window.settings.messageOfTheDay = "from the window";
    QByteArray windowSet;
    {
        WorkingDirectory alone;
        QVERIFY(window.run());
        windowSet = contents("server.cfg") + contents("motd.txt");
    }
    WorkingDirectory dir;
    QVERIFY(SaveRun().run());
    put("change.json", R"({"fragLimit": 7})");
    // The apply reads the files, then waits 1.5 s before it renames its
    // server.cfg into place.
    QProcess apply;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", "detect_leaks=0"); // no leak check under ptrace
    apply.setProcessEnvironment(environment);
    apply.start(strace, {"-f", "-qq", "-o", "/dev/null", "-e", "trace=rename,renameat,renameat2", "-e",
                         "inject=rename,renameat,renameat2:delay_enter=1500000", KEZCFG, "apply", ".",
                         "change.json"});
    QElapsedTimer timer;
    timer.start();
    while (QDir().entryList({".server.cfg.kezcfg-*"}, QDir::Hidden | QDir::Files).isEmpty() &&
           timer.elapsed() < 10000)
        QThread::msleep(5);
    QVERIFY2(timer.elapsed() < 10000, "the apply never began to write");

    window.statusTexts.clear();
    QVERIFY(window.run());
    QVERIFY(apply.waitForFinished(20000));
    QCOMPARE(apply.readAllStandardOutput(), "changed: server.cfg\n");
    // The window saved after the apply: its set is whole.
    QCOMPARE(contents("server.cfg") + contents("motd.txt"), windowSet);
    QVERIFY2(window.statusTexts.join('\n').contains("waiting for process "),
             qPrintable(window.statusTexts.join('\n')));
}

QTEST_GUILESS_MAIN(TestFolderAccess)
#include "tst_folderaccess.moc"
