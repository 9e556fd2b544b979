// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileBenchmarks.h"
#include "Statistics.h"

#include "app/ServerConfiguration.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

namespace {

// The median time of action over runs, with prepare run untimed before each.
double timeIt(int runs, const std::function<void()> &prepare, const std::function<void()> &action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        action();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// The reference for a save: the same bytes written with QSaveFile.
double plainWrite(int runs, const QStringList &names)
{
    QList<QByteArray> contents;
    for (const QString &name : names) {
        QFile file(name);
        file.open(QIODevice::ReadOnly);
        contents.append(file.readAll());
    }
    return timeIt(
        runs, [] {},
        [&] {
            for (int i = 0; i < names.size(); ++i) {
                QSaveFile file(QStringLiteral("plain-") + names[i]);
                file.open(QIODevice::WriteOnly);
                file.write(contents[i]);
                file.commit();
            }
        });
}

// The reference for an open: the same files read and split into lines.
double plainRead(int runs, const QStringList &names)
{
    return timeIt(
        runs, [] {},
        [&] {
            qsizetype lines = 0;
            for (const QString &name : names) {
                QFile file(name);
                if (file.open(QIODevice::ReadOnly))
                    lines += QString::fromUtf8(file.readAll()).split(u'\n').size();
            }
            Q_UNUSED(lines);
        });
}

void fillFullForm(ServerConfiguration &window)
{
    window.serverNameField->setText(QStringLiteral("Benchmark \"Kez\" Server"));
    window.adminNameField->setText(QStringLiteral("Admin"));
    window.emailField->setText(QStringLiteral("admin@example.org"));
    window.webpageField->setText(QStringLiteral("http://example.org/"));
    window.rconPasswdField->setText(QStringLiteral("secret"));
    window.startingMapField->setText(QStringLiteral("q2dm1"));
    window.motdTextArea->setPlainText(QStringLiteral("Welcome\nto the\nbenchmark"));
    window.publicGameCheckbox->setChecked(true);
    window.mapListCheckbox->setChecked(true);
    for (NumericSpinner *spinner :
         {window.maxClientsSpinner, window.fragLimitSpinner, window.timeLimitSpinner,
          window.revengeAwardSpinner, window.highFraggerAwardSpinner, window.dayNightTimeSpinner})
        spinner->setCurrent(200);
    for (FlagFamily *family :
         {&window.dmflags, &window.weapons, &window.kezweapons, &window.kezsweepers, &window.kezgrenades,
          &window.features, &window.kezfeatures, &window.kezarmors, &window.fragban}) {
        for (const QuakeFlag &flag : family->catalogue())
            family->set(flag.getFlagName());
    }
    for (const char *map : {"q2dm1", "q2dm2", "base1", "q2dm8"})
        window.mapList->add(QString::fromLatin1(map));
}

void fillMaps(ServerConfiguration &window, int count)
{
    window.New_ActionPerformed();
    window.mapListCheckbox->setChecked(true);
    QStringList maps;
    for (int i = 0; i < count; ++i)
        maps.append(QStringLiteral("q2map%1").arg(i));
    window.mapList->addItems(maps);
}

} // namespace

std::vector<BenchmarkRow> runFileBenchmarks(int runs)
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    ServerConfiguration window;
    std::vector<BenchmarkRow> rows;
    const QStringList configurationSet = {QStringLiteral("server.cfg"), QStringLiteral("motd.txt"),
                                          QStringLiteral("maplist.txt")};
    const auto noAim = [](double) {
        return std::pair<QString, bool>(QStringLiteral("-"), true);
    };

    const auto saveAndOpen = [&](const QString &label, const std::function<void()> &fill,
                                 const std::function<std::pair<QString, bool>(double)> &saveAim,
                                 const std::function<std::pair<QString, bool>(double)> &openAim) {
        window.New_ActionPerformed();
        fill();
        QFile::remove(QStringLiteral("maplist.txt"));
        const double save = timeIt(
            runs, [] {}, [&] { window.Save_ActionPerformed(); });
        const QStringList written =
            window.mapListCheckbox->isChecked()
                ? configurationSet
                : QStringList({QStringLiteral("server.cfg"), QStringLiteral("motd.txt")});
        const auto [saveAimText, saveMet] = saveAim(save);
        rows.push_back({QStringLiteral("Save, ") + label, save, QStringLiteral("QSaveFile of the same bytes"),
                        plainWrite(runs, written), saveAimText, saveMet});

        const double open = timeIt(
            runs, [&] { window.New_ActionPerformed(); }, [&] { window.Open_ActionPerformed(); });
        QStringList read = written;
        read.removeAll(QStringLiteral("motd.txt"));
        const auto [openAimText, openMet] = openAim(open);
        rows.push_back({QStringLiteral("Open, ") + label, open,
                        QStringLiteral("QFile read and split of the same files"), plainRead(runs, read),
                        openAimText, openMet});
        return std::pair(save, open);
    };

    saveAndOpen(
        QStringLiteral("start-up form"), [] {}, noAim, noAim);
    saveAndOpen(
        QStringLiteral("full form"), [&] { fillFullForm(window); }, noAim, noAim);
    const auto [save10k, open10k] = saveAndOpen(
        QStringLiteral("10,000 maps"), [&] { fillMaps(window, 10'000); }, noAim, noAim);
    saveAndOpen(
        QStringLiteral("100,000 maps"), [&] { fillMaps(window, 100'000); },
        [&](double ms) {
            return std::pair(
                QStringLiteral("< 200 ms and <= 12 x the 10,000 case (%1 x)").arg(ms / save10k, 0, 'f', 1),
                ms < 200 && ms <= 12 * save10k);
        },
        [&](double ms) {
            return std::pair(
                QStringLiteral("< 500 ms and <= 12 x the 10,000 case (%1 x)").arg(ms / open10k, 0, 'f', 1),
                ms < 500 && ms <= 12 * open10k);
        });

    QDir::setCurrent(previous);
    return rows;
}
