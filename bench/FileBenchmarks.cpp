// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileBenchmarks.h"
#include "Measure.h"
#include "Statistics.h"

#include "app/ServerConfiguration.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <functional>

namespace {

QList<QByteArray> contentsOf(const QStringList &names)
{
    QList<QByteArray> contents;
    for (const QString &name : names) {
        QFile file(name);
        contents.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return contents;
}

// The reference for a save: the same bytes written with QSaveFile.
void plainWrite(const QStringList &names, const QList<QByteArray> &contents)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        QSaveFile file(QStringLiteral("plain-") + names[i]);
        file.open(QIODevice::WriteOnly);
        file.write(contents[i]);
        file.commit();
    }
}

// The reference for an open: the same files read and split into lines.
void plainRead(const QStringList &names)
{
    qsizetype lines = 0;
    for (const QString &name : names) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            lines += QString::fromUtf8(file.readAll()).split(u'\n').size();
    }
    Q_UNUSED(lines);
}

void fillFullForm(ServerConfiguration &window)
{
    window.serverNameField->setText(QStringLiteral("Benchmark Kez Server"));
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

void fillMessageOfTheDay(ServerConfiguration &window)
{
    QString message;
    const QString line = QStringLiteral("Welcome to the Kez server: fair play, no camping, have fun.\n");
    while (message.size() < 1024 * 1024)
        message += line;
    window.motdTextArea->setPlainText(message);
}

void fillMaps(ServerConfiguration &window, int count)
{
    window.mapListCheckbox->setChecked(true);
    QStringList maps;
    maps.reserve(count);
    for (int i = 0; i < count; ++i)
        maps.append(QStringLiteral("q2map%1").arg(i));
    window.mapList->add(maps);
}

struct Scenario
{
    QString label;
    std::function<void(ServerConfiguration &)> fill;
    double saveAim = 0; // ms; 0 for none
    double openAim = 0;
};

} // namespace

std::vector<BenchmarkRow> runFileBenchmarks(int runs)
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    ServerConfiguration window;

    const auto maps = [](int count) {
        return [count](ServerConfiguration &w) { fillMaps(w, count); };
    };
    const std::vector<Scenario> scenarios = {
        {QStringLiteral("start-up form"), [](ServerConfiguration &) {}},
        {QStringLiteral("full form"), fillFullForm},
        {QStringLiteral("1 MiB message of the day"), fillMessageOfTheDay},
        {QStringLiteral("1,000 maps"), maps(1'000)},
        {QStringLiteral("10,000 maps"), maps(10'000)},
        {QStringLiteral("100,000 maps"), maps(100'000)},
        {QStringLiteral("1,000,000 maps"), maps(1'000'000), 50, 80},
    };

    std::vector<BenchmarkRow> rows;
    std::vector<BenchmarkRow> memoryRows;
    for (const Scenario &scenario : scenarios) {
        window.New_ActionPerformed();
        // New keeps the message of the day; each scenario starts without one.
        window.motdTextArea->setPlainText(QString());
        scenario.fill(window);
        QFile::remove(QStringLiteral("maplist.txt"));
        window.Save_ActionPerformed();
        QStringList written = {QStringLiteral("server.cfg"), QStringLiteral("motd.txt")};
        if (window.mapListCheckbox->isChecked())
            written.append(QStringLiteral("maplist.txt"));
        QStringList read = written;
        read.removeAll(QStringLiteral("motd.txt"));
        const QList<QByteArray> contents = contentsOf(written);

        BenchmarkRow save{QStringLiteral("Save, ") + scenario.label, {}, QStringLiteral("ms"),
                          QStringLiteral("QSaveFile of the same bytes"), {}, QStringLiteral("-"), true};
        BenchmarkRow open{QStringLiteral("Open, ") + scenario.label, {}, QStringLiteral("ms"),
                          QStringLiteral("QFile read and split of the same files"), {}, QStringLiteral("-"), true};
        for (int i = 0; i < runs; ++i) {
            save.values.push_back(millisecondsOf([&] { window.Save_ActionPerformed(); }));
            save.referenceValues.push_back(millisecondsOf([&] { plainWrite(written, contents); }));
            window.New_ActionPerformed();
            QApplication::processEvents();
            open.values.push_back(millisecondsOf([&] { window.Open_ActionPerformed(); }));
            open.referenceValues.push_back(millisecondsOf([&] { plainRead(read); }));
        }
        if (scenario.saveAim > 0) {
            save.aim = QStringLiteral("<= %1 ms").arg(scenario.saveAim);
            save.meetsAim = median(save.values) <= scenario.saveAim;
            open.aim = QStringLiteral("<= %1 ms").arg(scenario.openAim);
            open.meetsAim = median(open.values) <= scenario.openAim;
        }
        rows.push_back(save);
        rows.push_back(open);

        if (scenario.label.endsWith(QStringLiteral("maps"))) {
            BenchmarkRow memory{QStringLiteral("Open, ") + scenario.label + QStringLiteral(": memory added at peak"),
                                {}, QStringLiteral("MiB"), QStringLiteral("size of maplist.txt"), {},
                                QStringLiteral("-"), true};
            for (int i = 0; i < std::min(runs, 5); ++i) {
                window.New_ActionPerformed();
                QApplication::processEvents();
                memory.values.push_back(peakMebibytesAddedBy([&] { window.Open_ActionPerformed(); }));
                memory.referenceValues.push_back(double(contents.last().size()) / (1024.0 * 1024.0));
            }
            if (scenario.openAim > 0) {
                memory.aim = QStringLiteral("<= 80 MiB");
                memory.meetsAim = median(memory.values) <= 80;
            }
            memoryRows.push_back(memory);
        }
    }

    // A shown list lays out and paints its rows, which is the operator's
    // wait too.
    window.setVisible(true);
    BenchmarkRow shown{QStringLiteral("Open, 1,000,000 maps, window shown, until the list is laid out"), {},
                       QStringLiteral("ms"), QStringLiteral("QFile read and split of the same files"), {},
                       QStringLiteral("-"), true};
    for (int i = 0; i < runs; ++i) {
        window.New_ActionPerformed();
        QApplication::processEvents();
        shown.values.push_back(millisecondsOf([&] { window.Open_ActionPerformed(); }));
        shown.referenceValues.push_back(
            millisecondsOf([] { plainRead({QStringLiteral("server.cfg"), QStringLiteral("maplist.txt")}); }));
    }
    rows.push_back(shown);
    window.setVisible(false);
    window.New_ActionPerformed();
    rows.insert(rows.end(), memoryRows.begin(), memoryRows.end());
    QDir::setCurrent(previous);
    return rows;
}
