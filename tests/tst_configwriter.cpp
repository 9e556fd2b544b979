// SPDX-License-Identifier: GPL-2.0-or-later
#include "SaveRun.h"
#include "WorkingDirectory.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::WorkingDirectory;

namespace {

const QStringList savedFiles = {"server.cfg", "motd.txt", "maplist.txt"};

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString &fileName, const QByteArray &bytes, mode_t mode = 0666)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(fileName).constData(), mode), 0);
}

mode_t modeOf(const QString &fileName)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(fileName).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

SaveRun formWithMapList()
{
    SaveRun form;
    form.settings.mapList = true;
    form.settings.maps = {"q2dm1"};
    return form;
}

// Whether a file holds what this save wrote rather than the "old" it held.
bool rewritten(const QString &fileName)
{
    const QByteArray bytes = contents(fileName);
    const QString name = QFileInfo(fileName).fileName();
    if (name == "server.cfg")
        return bytes.startsWith("// This file was generated");
    if (name == "motd.txt")
        return bytes.contains("Official Vask:KEZ");
    return bytes == "q2dm1\n";
}

// Saves in a child process that, when the tests run as root, has dropped to
// an unprivileged user first, so that file permissions bind as they do for
// an operator. Returns the last status text, nothing when the child failed.
std::optional<QString> saveAsUnprivilegedUser(SaveRun form)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0) {
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(2);
        }
        form.run();
        const QByteArray last = form.statusTexts.value(form.statusTexts.size() - 1).toUtf8();
        const bool sent = ::write(channel[1], last.constData(), last.size()) == last.size();
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray received;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        received.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return QString::fromUtf8(received);
}

} // namespace

class TestConfigWriter : public QObject
{
    Q_OBJECT

private slots:
    void startUpFormWritesTwoFiles();
    void messageAndMapList();
    void tickedEmptyMapListGivesEmptyFile();
    void untickedMapListLeavesOldFileAlone();
    void textIsUtf8();
    void stopsAtAFolderOfTheFilesName_data();
    void stopsAtAFolderOfTheFilesName();
    void unprivilegedUser_data();
    void unprivilegedUser();
    void symbolicLinksAreWrittenThrough();
    void permissionBitsAreKept_data();
    void permissionBitsAreKept();
    void folderDeletedBeforeTheSave();
};

void TestConfigWriter::startUpFormWritesTwoFiles()
{
    WorkingDirectory dir;
    SaveRun form;

    QVERIFY(form.run());

    QCOMPARE(form.statusTexts, QStringList({"Generating Files", "Generating server.cfg",
                                            "Generating motd.txt", "Finished generating files"}));
    QCOMPARE(contents("server.cfg"), startUpServerCfg);
    QCOMPARE(contents("motd.txt"), startUpMotd);
    QVERIFY(!QFileInfo::exists("maplist.txt"));
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"motd.txt", "server.cfg"}));
}

void TestConfigWriter::messageAndMapList()
{
    WorkingDirectory dir;
    SaveRun form;
    form.settings.messageOfTheDay = "a\n\nb\n";
    form.settings.mapList = true;
    form.settings.maps = {"q2dm1", "", "q2dm1", " dm 2 "};

    QVERIFY(form.run());

    QCOMPARE(form.statusTexts,
             QStringList({"Generating Files", "Generating server.cfg", "Generating motd.txt",
                          "Generating maplist.txt", "Finished generating files"}));
    QVERIFY(contents("motd.txt").startsWith("a\n\nb\n\n=====")); // message, then the banner's empty line
    QCOMPARE(contents("motd.txt").count('\n'), 3 + 7);
    QCOMPARE(contents("maplist.txt"), QByteArray("q2dm1\n\nq2dm1\n dm 2 \n"));
    QVERIFY(contents("server.cfg").endsWith("set maplist 1\n"));
}

void TestConfigWriter::tickedEmptyMapListGivesEmptyFile()
{
    WorkingDirectory dir;
    put("maplist.txt", "old\n");
    SaveRun form;
    form.settings.mapList = true;

    QVERIFY(form.run());
    QCOMPARE(contents("maplist.txt"), QByteArray());
}

void TestConfigWriter::untickedMapListLeavesOldFileAlone()
{
    WorkingDirectory dir;
    put("maplist.txt", "old\n");
    const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile file("maplist.txt");
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    SaveRun form;
    form.settings.maps = {"q2dm1"};

    QVERIFY(form.run());
    QVERIFY(!form.statusTexts.contains("Generating maplist.txt"));
    QCOMPARE(contents("maplist.txt"), QByteArray("old\n"));
    QCOMPARE(QFileInfo("maplist.txt").lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
}

void TestConfigWriter::textIsUtf8()
{
    WorkingDirectory dir;
    SaveRun form;
    form.settings.text(TextControl::ServerName) = QString::fromUtf16(u"Gr\u00fc\u00dfe \u263a");

    QVERIFY(form.run());
    QVERIFY(contents("server.cfg")
                .contains("\nset hostname \"Gr\xc3\xbc\xc3\x9f"
                          "e \xe2\x98\xba\"\n"));
}

void TestConfigWriter::stopsAtAFolderOfTheFilesName_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("lastStatus");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("server.cfg") << "server.cfg"
                                << "Generating Files" << QStringList();
    // Every file is looked at before any is written: none changes.
    QTest::newRow("motd.txt") << "motd.txt"
                              << "Generating Files" << QStringList();
    QTest::newRow("maplist.txt") << "maplist.txt"
                                 << "Generating Files" << QStringList();
}

void TestConfigWriter::stopsAtAFolderOfTheFilesName()
{
    QFETCH(QString, folder);
    QFETCH(QString, lastStatus);
    QFETCH(QStringList, written);

    WorkingDirectory dir;
    for (const QString &name : savedFiles) {
        if (name == folder)
            QVERIFY(QDir().mkdir(name));
        else
            put(name, "old\n");
    }
    SaveRun form = formWithMapList();

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write " + folder));
    QVERIFY(!form.run());

    QCOMPARE(form.statusTexts.last(), lastStatus);
    QVERIFY(!form.statusTexts.contains("Finished generating files"));
    for (const QString &name : savedFiles) {
        if (name == folder)
            QVERIFY(QFileInfo(name).isDir());
        else if (written.contains(name))
            QVERIFY2(rewritten(name), qPrintable(name));
        else
            QCOMPARE(contents(name), QByteArray("old\n"));
    }
    // Nothing half-made is left beside the files.
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
}

void TestConfigWriter::unprivilegedUser_data()
{
    QTest::addColumn<QString>("protectedFile");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<QString>("lastStatus");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("write-protected server.cfg")
        << "server.cfg" << true << "Generating Files" << QStringList();
    QTest::newRow("write-protected motd.txt") << "motd.txt" << true << "Generating Files" << QStringList();
    QTest::newRow("write-protected maplist.txt")
        << "maplist.txt" << true << "Generating Files" << QStringList();
    QTest::newRow("folder where no new file can be made")
        << QString() << false << "Finished generating files" << savedFiles;
}

void TestConfigWriter::unprivilegedUser()
{
    QFETCH(QString, protectedFile);
    QFETCH(bool, folderWritable);
    QFETCH(QString, lastStatus);
    QFETCH(QStringList, written);

    WorkingDirectory dir;
    for (const QString &name : savedFiles)
        put(name, "old\n", name == protectedFile ? 0444 : 0666);
    const QByteArray path = QFile::encodeName(dir.path());
    QCOMPARE(::chmod(path.constData(), folderWritable ? 0777 : 0555), 0);

    const std::optional<QString> status = saveAsUnprivilegedUser(formWithMapList());
    ::chmod(path.constData(), 0700);

    QVERIFY2(status, "the unprivileged save could not be run");
    QCOMPARE(*status, lastStatus);
    for (const QString &name : savedFiles) {
        if (written.contains(name))
            QVERIFY2(rewritten(name), qPrintable(name));
        else
            QCOMPARE(contents(name), QByteArray("old\n"));
    }
    if (!protectedFile.isEmpty())
        QCOMPARE(modeOf(protectedFile), mode_t(0444));
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
}

void TestConfigWriter::symbolicLinksAreWrittenThrough()
{
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir("real"));
    put("real/server.cfg", "old\n", 0640);
    QVERIFY(QFile::link("real/server.cfg", "server.cfg"));
    // A link whose target does not exist yet gets its target made.
    QVERIFY(QFile::link("real/motd.txt", "motd.txt"));

    SaveRun form;
    QVERIFY(form.run());

    QVERIFY(QFileInfo("server.cfg").isSymLink());
    QVERIFY(QFileInfo("motd.txt").isSymLink());
    QVERIFY(rewritten("real/server.cfg"));
    QVERIFY(rewritten("real/motd.txt"));
    QCOMPARE(modeOf("real/server.cfg"), mode_t(0640));
}

void TestConfigWriter::permissionBitsAreKept_data()
{
    QTest::addColumn<int>("mode");

    QTest::newRow("rw-r--r--") << 0644;
    QTest::newRow("rw-r-----") << 0640;
    // Only a privileged user may write a file that nobody may write.
    if (::geteuid() == 0)
        QTest::newRow("r--r--r-- as root") << 0444;
}

void TestConfigWriter::permissionBitsAreKept()
{
    QFETCH(int, mode);

    WorkingDirectory dir;
    for (const QString &name : savedFiles)
        put(name, "old\n", mode_t(mode));
    SaveRun form = formWithMapList();

    QVERIFY(form.run());
    for (const QString &name : savedFiles) {
        QVERIFY2(rewritten(name), qPrintable(name));
        QCOMPARE(modeOf(name), mode_t(mode));
    }
}

// The system answers "Operation not permitted" for a file in a folder that
// is gone, which sends an operator looking at permissions.
void TestConfigWriter::folderDeletedBeforeTheSave()
{
    const QString previous = QDir::currentPath();
    {
        QTemporaryDir scratch;
        QVERIFY(QDir::setCurrent(scratch.path()));
        QVERIFY(QDir().rmdir(scratch.path()));
        SaveRun save;
        const ConfigurationWriteResult result = writeConfigurationSet(save.settings, [](const QString &) {});
        QVERIFY(!result.complete);
        QVERIFY2(result.diagnostic.contains("could not write server.cfg: its folder no longer exists (it was "
                                            "deleted or moved away)"),
                 qPrintable(result.diagnostic));
        QVERIFY(!result.diagnostic.contains("not permitted"));
    }
    QVERIFY(QDir::setCurrent(previous));
}

QTEST_GUILESS_MAIN(TestConfigWriter)
#include "tst_configwriter.moc"
