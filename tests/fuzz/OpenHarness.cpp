// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "app/ServerConfiguration.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const QString &what)
{
    std::fprintf(stderr, "form invariant broken: %s\n", qPrintable(what));
    std::abort();
}

struct Session
{
    QTemporaryDir folder;
    std::unique_ptr<ServerConfiguration> window;
};

Session &session()
{
    static Session *current = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_open";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
        // Open's diagnostics for bad lines are expected here by the thousand.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtFatalMsg) {
                std::fprintf(stderr, "%s\n", qPrintable(message));
                std::abort();
            }
        });
        auto *created = new Session;
        if (!created->folder.isValid() || !QDir::setCurrent(created->folder.path()))
            broken(QStringLiteral("no scratch folder"));
        created->window = std::make_unique<ServerConfiguration>();
        return created;
    }();
    return *current;
}

// Back to the state the constructor leaves: New resets the contents, and the
// enabled states that New deliberately keeps are put back by hand.
void startUpState(ServerConfiguration &window)
{
    window.New_ActionPerformed();
    window.mapList->setEnabled(true);
    window.addButton->setEnabled(false);
    window.removeButton->setEnabled(false);
    window.revengeAwardSpinner->setEnabled(false);
    window.highFraggerAwardSpinner->setEnabled(false);
    window.dayNightTimeSpinner->setEnabled(false);
    window.serverStatusBar->setStatusText(QString());
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        broken(QStringLiteral("cannot write %1").arg(name));
}

void checkFamily(const FlagFamily &family)
{
    QHash<QString, int> seen;
    qint64 sum = 0;
    for (const QString &name : family.availableList()->items())
        ++seen[name];
    for (const QString &name : family.bannedList()->items()) {
        ++seen[name];
        for (const QuakeFlag &flag : family.catalogue()) {
            if (flag.getFlagName() == name)
                sum += flag.getFlagValue();
        }
    }
    if (seen.size() != family.catalogue().size())
        broken(family.caption() + QStringLiteral(": lists hold other names than the catalogue"));
    for (const QuakeFlag &flag : family.catalogue()) {
        if (seen.value(flag.getFlagName()) != 1)
            broken(family.caption() + QStringLiteral(": ") + flag.getFlagName() +
                   QStringLiteral(" not listed once"));
    }
    if (family.maskField()->text() != QString::number(sum))
        broken(family.caption() + QStringLiteral(": mask ") + family.maskField()->text() +
               QStringLiteral(" is not the banned flags' sum ") + QString::number(sum));
}

void checkForm(const ServerConfiguration &window)
{
    for (const FlagFamily *family :
         {&window.dmflags, &window.weapons, &window.kezweapons, &window.kezsweepers, &window.kezgrenades,
          &window.features, &window.kezfeatures, &window.kezarmors, &window.fragban})
        checkFamily(*family);

    const QStringList set = window.setFlagList->items();
    const bool revenge = set.contains(QStringLiteral("DF_REVENGE_FACTOR"));
    if (window.revengeAwardSpinner->isEnabled() != revenge ||
        window.highFraggerAwardSpinner->isEnabled() != revenge)
        broken(QStringLiteral("award spinners do not follow DF_REVENGE_FACTOR"));
    if (window.dayNightTimeSpinner->isEnabled() != set.contains(QStringLiteral("DF_DAYNIGHT")))
        broken(QStringLiteral("day-night spinner does not follow DF_DAYNIGHT"));
    for (const NumericSpinner *spinner :
         {window.maxClientsSpinner, window.fragLimitSpinner, window.timeLimitSpinner,
          window.revengeAwardSpinner, window.highFraggerAwardSpinner, window.dayNightTimeSpinner}) {
        if (spinner->value() < 0 || spinner->value() > 255)
            broken(QStringLiteral("a spinner holds %1").arg(spinner->value()));
    }
    // Open never disables anything, and the list itself is never switched.
    if (!window.mapList->isEnabled())
        broken(QStringLiteral("mapList was disabled"));
    // Both reads of one Open see the same maplist.txt, so the remove button is
    // enabled only when the list ends up holding maps.
    if (window.removeButton->isEnabled() && window.mapList->count() == 0)
        broken(QStringLiteral("removeButton enabled over an empty map list"));
    for (const TextField *field : {window.serverNameField, window.adminNameField, window.emailField,
                                   window.webpageField, window.rconPasswdField, window.startingMapField}) {
        if (field->text().contains(u'\n') || field->text().contains(u'\r'))
            broken(QStringLiteral("a one-line field holds a line break"));
    }
    static const QStringList endings = {QStringLiteral("Done Reading"), QStringLiteral("Reading server.cfg"),
                                        QStringLiteral("Done reading maplist.txt"),
                                        QStringLiteral("server.cfg file not found"),
                                        QStringLiteral("Opening maplist.txt")};
    if (!endings.contains(window.serverStatusBar->statusText()))
        broken(
            QStringLiteral("Open ended on the status text \"%1\"").arg(window.serverStatusBar->statusText()));
}

} // namespace

void openAndCheck(const uint8_t *data, size_t size)
{
    Session &current = session();
    ServerConfiguration &window = *current.window;
    startUpState(window);

    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool framed = input.size() >= 5;
    const quint32 length = framed ? qFromLittleEndian<quint32>(input.constData() + 1) : 0;
    const QByteArray serverCfg =
        framed ? input.mid(5, qsizetype(qMin<quint32>(length, quint32(input.size() - 5)))) : input;
    writeFile(QStringLiteral("server.cfg"), serverCfg);
    if (framed && (input[0] & 1))
        writeFile(QStringLiteral("maplist.txt"), input.mid(5 + serverCfg.size()));
    else
        QFile::remove(QStringLiteral("maplist.txt"));

    window.Open_ActionPerformed();
    checkForm(window);
}
