// SPDX-License-Identifier: GPL-2.0-or-later
// Save against a full disk, odd files and other users' files. Each case runs
// in a child process with a private, small tmpfs mounted over a temporary
// folder, saving as the unprivileged user nobody, and reports what it sees
// as lines of text ("server.cfg: old", "motd.txt: FIFO" ...).
#include "SaveRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t nobody = 65534;
constexpr uid_t stranger = 4321; // a user that neither saves nor owns the folder
constexpr off_t page = 4096;

enum class Setup {
    FullDisk,        // the files exist; `freePages` pages are left free
    FullDiskInPlace, // as FullDisk, in a folder where no new file can be made
    DeviceLink,      // server.cfg is a link to /dev/null
    Fifo,            // motd.txt is a FIFO
    StrangersLink,   // server.cfg is a stranger's link in a sticky shared folder
    OwnLinkInSticky, // server.cfg is nobody's own link in a sticky shared folder
    StrangersFile,   // server.cfg belongs to the stranger, who lets everyone write it
    StrangersFileAsRoot,
    HardLink,              // server.cfg has a second name, other.cfg
    PlantedLinkAsRoot,     // root saves into nobody's folder, where motd.txt is nobody's link to root's file
    ReadOnlyFile,          // motd.txt may not be written
    FolderInTheWay,        // maplist.txt is a folder
    StrangersDanglingLink, // motd.txt is a stranger's link to nothing
};

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "set-up failed: %s: %s\n", what, std::strerror(errno));
        ::_exit(4);
    }
}

void put(const char *name, const QByteArray &bytes, uid_t owner = nobody)
{
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    check(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(), name);
    check(::fchmod(fd, 0666) == 0 && ::fchown(fd, owner, owner) == 0 && ::close(fd) == 0, name);
}

// Fills the filesystem, then frees `pages` pages of it again.
void leaveFree(int pages)
{
    const int fd = ::open("filler", O_WRONLY | O_CREAT, 0600);
    check(fd >= 0, "filler");
    static const QByteArray chunk(int(page), 'x');
    while (::write(fd, chunk.constData(), size_t(chunk.size())) > 0) {
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    check(::ftruncate(fd, size - pages * page) == 0 && ::close(fd) == 0, "filler");
}

QString fact(const char *name)
{
    struct stat info = {};
    if (::lstat(name, &info) != 0)
        return QStringLiteral("%1: missing").arg(name);
    QString kind;
    if (S_ISLNK(info.st_mode)) {
        kind = QStringLiteral("link to ");
        if (::stat(name, &info) != 0)
            return QStringLiteral("%1: link to nothing").arg(name);
    }
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("%1: %2folder").arg(name, kind);
    if (S_ISCHR(info.st_mode))
        return QStringLiteral("%1: %2device").arg(name, kind);
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("%1: %2FIFO").arg(name, kind);
    QFile file(QString::fromLocal8Bit(name));
    check(file.open(QIODevice::ReadOnly), name);
    const QByteArray bytes = file.readAll();
    const bool saved = bytes.startsWith("// This file was generated") ||
                       bytes.contains("Official Vask:KEZ") || bytes.startsWith("q2dm1");
    QString text = QStringLiteral("%1: %2").arg(name, kind);
    if (bytes == "old\n")
        text += QStringLiteral("old");
    else
        text += saved ? QStringLiteral("new") : QStringLiteral("%1 bytes").arg(bytes.size());
    if (info.st_uid != nobody)
        text += QStringLiteral(", owner %1:%2").arg(info.st_uid).arg(info.st_gid);
    if (info.st_nlink > 1)
        text += QStringLiteral(", %1 names").arg(info.st_nlink);
    return text;
}

[[noreturn]] void runCase(const QByteArray &folder, Setup setup, int freePages, const QString &bigFile,
                          int pipe)
{
    check(::unshare(CLONE_NEWNS) == 0, "unshare");
    check(::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0, "private mounts");
    check(::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=256k,mode=0777") == 0, "tmpfs");
    check(::chdir(folder.constData()) == 0, "chdir");

    for (const char *name : {"server.cfg", "motd.txt", "maplist.txt"})
        put(name, "old\n");
    bool asRoot = false;
    switch (setup) {
    case Setup::FullDisk:
    case Setup::FullDiskInPlace:
        leaveFree(freePages);
        if (setup == Setup::FullDiskInPlace)
            check(::chmod(".", 0555) == 0, "chmod");
        break;
    case Setup::DeviceLink:
        check(::unlink("server.cfg") == 0 && ::symlink("/dev/null", "server.cfg") == 0, "link");
        break;
    case Setup::Fifo:
        check(::unlink("motd.txt") == 0 && ::mkfifo("motd.txt", 0666) == 0, "fifo");
        break;
    case Setup::StrangersLink:
    case Setup::OwnLinkInSticky:
        check(::mkdir("elsewhere", 0777) == 0 && ::chmod("elsewhere", 0777) == 0, "mkdir");
        put("elsewhere/server.cfg", "old\n", stranger);
        check(::unlink("server.cfg") == 0 && ::symlink("elsewhere/server.cfg", "server.cfg") == 0 &&
                  ::lchown("server.cfg", setup == Setup::StrangersLink ? stranger : nobody, nobody) == 0 &&
                  ::chmod(".", 01777) == 0,
              "sticky link");
        break;
    case Setup::StrangersFileAsRoot:
        asRoot = true;
        [[fallthrough]];
    case Setup::StrangersFile:
        put("server.cfg", "old\n", stranger);
        check(::chmod("server.cfg", 0666) == 0, "chmod");
        break;
    case Setup::HardLink:
        check(::link("server.cfg", "other.cfg") == 0, "link");
        break;
    case Setup::PlantedLinkAsRoot:
        asRoot = true;
        put("secret", "old\n", 0);
        check(::chmod("secret", 0600) == 0 && ::unlink("motd.txt") == 0 &&
                  ::symlink("secret", "motd.txt") == 0 && ::lchown("motd.txt", nobody, nobody) == 0 &&
                  ::chown(".", nobody, nobody) == 0,
              "planted link");
        break;
    case Setup::ReadOnlyFile:
        check(::chmod("motd.txt", 0444) == 0, "chmod");
        break;
    case Setup::FolderInTheWay:
        check(::unlink("maplist.txt") == 0 && ::mkdir("maplist.txt", 0777) == 0, "mkdir");
        break;
    case Setup::StrangersDanglingLink:
        check(::unlink("motd.txt") == 0 && ::symlink("nowhere/motd.txt", "motd.txt") == 0 &&
                  ::lchown("motd.txt", stranger, stranger) == 0,
              "dangling link");
        break;
    }
    if (!asRoot)
        check(::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0,
              "drop to nobody");

    SaveRun form;
    form.settings.mapList = true;
    form.settings.maps = {"q2dm1"};
    const QString big(20000, u'x'); // five pages
    if (bigFile == "motd.txt")
        form.settings.messageOfTheDay = big;
    else if (bigFile == "maplist.txt")
        form.settings.maps.append(big);
    form.run();

    QStringList facts = {form.statusTexts.last()};
    for (const char *name : {"server.cfg", "motd.txt", "maplist.txt", "other.cfg", "elsewhere/server.cfg"}) {
        struct stat info = {};
        if (::lstat(name, &info) == 0)
            facts.append(fact(name));
    }
    // Nothing of the writer's own may be left behind, whatever happened.
    if (const int left =
            QDir(QStringLiteral("."))
                .entryList({QStringLiteral(".*kezcfg*")}, QDir::Hidden | QDir::Files | QDir::System)
                .size())
        facts.append(QStringLiteral("%1 temporary files left").arg(left));
    const QByteArray report = facts.join(u'\n').toUtf8();
    check(::write(pipe, report.constData(), size_t(report.size())) == report.size(), "report");
    ::_exit(0);
}

} // namespace

class TestSaveFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void faults_data();
    void faults();
};

void TestSaveFaults::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small filesystem and saving as other users needs root");
}

void TestSaveFaults::faults_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("freePages");
    QTest::addColumn<QString>("bigFile");
    QTest::addColumn<QStringList>("facts"); // the last status text, then each file

    QTest::newRow("disk full at server.cfg")
        << Setup::FullDisk << 0 << QString()
        << QStringList{"Generating server.cfg", "server.cfg: old", "motd.txt: old", "maplist.txt: old"};
    // A failure at any file leaves every file as it was.
    QTest::newRow("disk full at motd.txt")
        << Setup::FullDisk << 1 << "motd.txt"
        << QStringList{"Generating motd.txt", "server.cfg: old", "motd.txt: old", "maplist.txt: old"};
    QTest::newRow("disk full at maplist.txt")
        << Setup::FullDisk << 2 << "maplist.txt"
        << QStringList{"Generating maplist.txt", "server.cfg: old", "motd.txt: old", "maplist.txt: old"};
    QTest::newRow("disk full, written in place: the old texts are put back")
        << Setup::FullDiskInPlace << 0 << "motd.txt"
        << QStringList{"Generating maplist.txt", "server.cfg: old", "motd.txt: old", "maplist.txt: old"};
    QTest::newRow("a link to a device")
        << Setup::DeviceLink << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: link to device", "motd.txt: old", "maplist.txt: old"};
    QTest::newRow("a FIFO") << Setup::Fifo << 0 << QString()
                            << QStringList{"Generating Files", "server.cfg: old", "motd.txt: FIFO",
                                           "maplist.txt: old"};
    QTest::newRow("a read-only file")
        << Setup::ReadOnlyFile << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: old", "motd.txt: old", "maplist.txt: old"};
    QTest::newRow("a folder in the way")
        << Setup::FolderInTheWay << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: old", "motd.txt: old", "maplist.txt: folder"};
    QTest::newRow("a stranger's link to nothing")
        << Setup::StrangersDanglingLink << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: old", "motd.txt: link to nothing",
                       "maplist.txt: old"};
    QTest::newRow("root never writes through a link the folder's owner planted")
        << Setup::PlantedLinkAsRoot << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: old", "motd.txt: link to old, owner 0:0",
                       "maplist.txt: old"};
    QTest::newRow("a stranger's link in a sticky shared folder")
        << Setup::StrangersLink << 0 << QString()
        << QStringList{"Generating Files", "server.cfg: link to old, owner 4321:4321", "motd.txt: old",
                       "maplist.txt: old", "elsewhere/server.cfg: old, owner 4321:4321"};
    QTest::newRow("one's own link in a sticky shared folder")
        << Setup::OwnLinkInSticky << 0 << QString()
        << QStringList{"Finished generating files", "server.cfg: link to new, owner 4321:4321",
                       "motd.txt: new", "maplist.txt: new", "elsewhere/server.cfg: new, owner 4321:4321"};
    QTest::newRow("another user's file keeps its owner")
        << Setup::StrangersFile << 0 << QString()
        << QStringList{"Finished generating files", "server.cfg: new, owner 4321:4321", "motd.txt: new",
                       "maplist.txt: new"};
    QTest::newRow("another user's file keeps its owner when root saves")
        << Setup::StrangersFileAsRoot << 0 << QString()
        << QStringList{"Finished generating files", "server.cfg: new, owner 4321:4321", "motd.txt: new",
                       "maplist.txt: new"};
    QTest::newRow("a hard link keeps both names")
        << Setup::HardLink << 0 << QString()
        << QStringList{"Finished generating files", "server.cfg: new, 2 names", "motd.txt: new",
                       "maplist.txt: new", "other.cfg: new, 2 names"};
}

void TestSaveFaults::faults()
{
    QFETCH(Setup, setup);
    QFETCH(int, freePages);
    QFETCH(QString, bigFile);
    QFETCH(QStringList, facts);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    int channel[2];
    QCOMPARE(::pipe(channel), 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::close(channel[0]);
        runCase(QFile::encodeName(folder.path()), setup, freePages, bigFile, channel[1]);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the saving process failed; see its output");

    QCOMPARE(QString::fromUtf8(report).split(u'\n'), facts);
}

QTEST_GUILESS_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
