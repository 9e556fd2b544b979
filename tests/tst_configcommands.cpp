// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ServerConfiguration.h"

#include "SaveRun.h"
#include "TestSupport.h"

#include <QAction>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using TestSupport::WorkingDirectory;

namespace {

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray lf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

// What the operator can set on the form and a save carries.
struct FormState
{
    QStringList texts; // server, admin, e-mail, web page, password, starting map
    QList<int> spinners;
    bool publicGame = false;
    bool mapListTicked = false;
    QStringList maps;
    QList<QStringList> banned; // per family, in list order
    QStringList masks;

    bool operator==(const FormState &) const = default;
};

QList<TextField *> textFields(ServerConfiguration &w)
{
    return {w.serverNameField, w.adminNameField,  w.emailField,
            w.webpageField,    w.rconPasswdField, w.startingMapField};
}

QList<NumericSpinner *> spinners(ServerConfiguration &w)
{
    return {w.maxClientsSpinner,   w.fragLimitSpinner,        w.timeLimitSpinner,
            w.revengeAwardSpinner, w.highFraggerAwardSpinner, w.dayNightTimeSpinner};
}

QList<FlagFamily *> families(ServerConfiguration &w)
{
    return {&w.dmflags,  &w.weapons,     &w.kezweapons, &w.kezsweepers, &w.kezgrenades,
            &w.features, &w.kezfeatures, &w.kezarmors,  &w.fragban};
}

FormState stateOf(ServerConfiguration &w)
{
    FormState state;
    for (TextField *field : textFields(w))
        state.texts.append(field->text());
    for (NumericSpinner *spinner : spinners(w))
        state.spinners.append(spinner->current());
    state.publicGame = w.publicGameCheckbox->isChecked();
    state.mapListTicked = w.mapListCheckbox->isChecked();
    state.maps = w.mapList->items();
    for (FlagFamily *family : families(w)) {
        state.banned.append(family->bannedList()->items());
        state.masks.append(family->maskField()->text());
    }
    return state;
}

QString describe(const FormState &s)
{
    QStringList parts;
    parts << "texts=[" + s.texts.join("][") + "]";
    for (int v : s.spinners)
        parts << QString::number(v);
    parts << QStringLiteral("public=%1 maplist=%2").arg(s.publicGame).arg(s.mapListTicked);
    parts << "maps=[" + s.maps.join("][") + "]";
    for (qsizetype i = 0; i < s.banned.size(); ++i)
        parts << s.masks[i] + ":" + s.banned[i].join('|');
    return parts.join(' ');
}

// A text drawn from pieces that have tripped up readers of such files:
// quotes, spaces at either end, non-ASCII, characters beyond the BMP, and
// words that begin other lines of server.cfg.
QString randomText(QRandomGenerator &random)
{
    static const QStringList whole = {
        "",
        " ",
        "map",
        "map q2dm1",
        "\"",
        "\"\"",
        "set public 1",
        "<your server name here>",
        "<SERVER ADMIN NAME HERE>",
        "<admin email address goes here>",
        "<webpage address goes here>",
        " s",
    };
    static const QStringList pieces = {
        "a",
        "Z",
        "0",
        "9",
        " ",
        "  ",
        "\"",
        "'",
        "<",
        ">",
        "\\",
        "/",
        ":",
        "@",
        ".",
        "s",
        "map",
        QString::fromUtf16(u"\u00e9"),
        QString::fromUtf16(u"\u00df"),
        QString::fromUtf16(u"\u4e2d"),
        QString::fromUtf16(u"\U0001F600"),
        "\t",
    };
    if (random.bounded(5) == 0)
        return whole[random.bounded(int(whole.size()))];
    QString text;
    for (int n = random.bounded(12); n > 0; --n)
        text += pieces[random.bounded(int(pieces.size()))];
    return text;
}

void fillRandomly(ServerConfiguration &w, QRandomGenerator &random)
{
    for (TextField *field : textFields(w))
        field->setText(randomText(random));
    for (NumericSpinner *spinner : spinners(w))
        QVERIFY(spinner->setCurrent(random.bounded(256)));
    w.publicGameCheckbox->setChecked(random.bounded(2));
    w.mapListCheckbox->setChecked(random.bounded(2));
    w.mapList->removeAll();
    const QStringList mapPool = {
        "q2dm1", "q2dm1", "", " ", "map", "base 1 ", QString::fromUtf16(u"k\u00e4se")};
    for (int n = random.bounded(7); n > 0; --n)
        w.mapList->add(random.bounded(3) ? mapPool[random.bounded(int(mapPool.size()))] : randomText(random));
    w.motdTextArea->setPlainText(randomText(random) + "\n" + randomText(random));

    // Flags are moved in random order and some moved back, so that neither
    // list is in catalogue order any more.
    for (FlagFamily *family : families(w)) {
        const FlagCatalogue catalogue = family->catalogue();
        for (int n = random.bounded(int(catalogue.size()) + 1); n > 0; --n) {
            family->set(catalogue[random.bounded(int(catalogue.size()))].getFlagName());
            if (family->bannedList()->count() > 0 && random.bounded(4) == 0) {
                family->bannedList()->select(random.bounded(family->bannedList()->count()));
                family->bannedListClicked(2);
            }
        }
    }
}

// What File / New and then Open give back for a saved form.
FormState expectedAfterReading(const FormState &saved, ServerConfiguration &w)
{
    static const QStringList placeholders = {"<your server name here>", "<server admin name here>",
                                             "<admin email address goes here>",
                                             "<webpage address goes here>"};
    FormState expected = saved;
    // A field whose text is its placeholder is written as the placeholder
    // line, which the reader skips.
    for (int i = 0; i < 4; ++i) {
        if (saved.texts[i].compare(placeholders[i], Qt::CaseInsensitive) == 0)
            expected.texts[i].clear();
    }
    // Without the box ticked no maplist.txt is written, and there is none.
    if (!saved.mapListTicked)
        expected.maps.clear();
    // Flags come back in catalogue order.
    const QList<FlagFamily *> all = families(w);
    for (qsizetype f = 0; f < all.size(); ++f) {
        QStringList inOrder;
        for (const QuakeFlag &flag : all[f]->catalogue()) {
            if (saved.banned[f].contains(flag.getFlagName()))
                inOrder.append(flag.getFlagName());
        }
        expected.banned[f] = inOrder;
    }
    return expected;
}

} // namespace

class TestConfigCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveOfTheStartUpForm();
    void openIsLaidOverTheForm();
    void openSetsButtonsButNeverDisables();
    void openLeavesSpinnersEnabledAsTheyAre();
    void openSetsAnOutOfRangeValueToTheBound();
    void savedFormsComeBack();
    void saveKeepsTheLinesTheFormDoesNotSet();
    void saveKeepsTheFoundSetOnceAndWhatAnotherWriterLeft();
    void openReadsTheMessageOfTheDay();

private:
    std::unique_ptr<ServerConfiguration> window;
};

void TestConfigCommands::init()
{
    window = std::make_unique<ServerConfiguration>();
}

void TestConfigCommands::cleanup()
{
    window.reset();
}

void TestConfigCommands::saveOfTheStartUpForm()
{
    WorkingDirectory dir;
    const FormState before = stateOf(*window);

    window->Save->trigger();

    QCOMPARE(window->serverStatusBar->statusText(), "Finished generating files");
    QCOMPARE(contents("server.cfg"), startUpServerCfg);
    QCOMPARE(contents("motd.txt"), startUpMotd);
    QVERIFY(!QFile::exists("maplist.txt"));
    QVERIFY(stateOf(*window) == before);
}

void TestConfigCommands::openIsLaidOverTheForm()
{
    WorkingDirectory dir;
    window->serverNameField->setText("Kept");
    window->adminNameField->setText("Replaced");
    window->startingMapField->setText("q2dm8");
    QVERIFY(window->maxClientsSpinner->setCurrent(9));
    window->setWeaponsFlag("shotgun");
    window->setFragBanFlag(window->fragban.catalogue().first().getFlagName());
    window->mapListCheckbox->setChecked(true);
    window->mapList->add("old");
    window->motdTextArea->setPlainText("Hello");
    put("server.cfg", lf({"set hostname \"<your server name here>\"", "set ServerAdmin \"New\" s",
                          "set weaponban 524290", "set fragban 0", "set maplist 0"}));

    window->Open->trigger();

    QCOMPARE(window->serverStatusBar->statusText(), "Done Reading");
    QCOMPARE(window->serverNameField->text(), "Kept");
    QCOMPARE(window->adminNameField->text(), "New");
    QCOMPARE(window->startingMapField->text(), "q2dm8");
    QCOMPARE(window->maxClientsSpinner->current(), 9);
    // shotgun was set already: it stays first and is not added twice.
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"shotgun", "rocket launcher"}));
    QCOMPARE(window->weaponBanField->text(), "524290");
    // A flag set before Open stays set although the file's mask lacks it.
    QCOMPARE(window->bannedFragList->count(), 1);
    QVERIFY(!window->mapListCheckbox->isChecked());
    QCOMPARE(window->mapList->count(), 0);
    QCOMPARE(window->motdTextArea->toPlainText(), "Hello");
}

void TestConfigCommands::openSetsButtonsButNeverDisables()
{
    WorkingDirectory dir;
    put("server.cfg", lf({"set maplist 1"}));
    // An empty map list enables add, and leaves remove as it was.
    put("maplist.txt", "");
    window->Open->trigger();
    QVERIFY(window->addButton->isEnabled());
    QVERIFY(!window->removeButton->isEnabled());

    window->addButton->setEnabled(false);
    put("maplist.txt", lf({"a", "b"}));

    window->Open->trigger();
    QVERIFY(window->mapListCheckbox->isChecked());
    QVERIFY(window->addButton->isEnabled());
    QVERIFY(window->removeButton->isEnabled());
    QCOMPARE(window->mapList->items(), QStringList({"a", "b"}));

    // Unticking from the file must not run the checkbox's own command,
    // which would disable the list and both buttons.
    put("server.cfg", lf({"set maplist 0"}));
    window->Open->trigger();
    QVERIFY(!window->mapListCheckbox->isChecked());
    QVERIFY(window->mapList->isEnabled());
    QVERIFY(window->addButton->isEnabled());
    QVERIFY(window->removeButton->isEnabled());
}

void TestConfigCommands::openLeavesSpinnersEnabledAsTheyAre()
{
    WorkingDirectory dir;
    put("server.cfg", lf({"set revengeaward 7", "set daynighttime 3"}));
    window->Open->trigger();
    QCOMPARE(window->revengeAwardSpinner->current(), 7);
    QVERIFY(!window->revengeAwardSpinner->isEnabled());

    put("server.cfg", lf({"set dmflags 65536"}));
    window->Open->trigger();
    QVERIFY(window->revengeAwardSpinner->isEnabled());
    QVERIFY(window->highFraggerAwardSpinner->isEnabled());
    QVERIFY(!window->dayNightTimeSpinner->isEnabled());
    QCOMPARE(window->dayNightTimeSpinner->current(), 3);
}

void TestConfigCommands::openSetsAnOutOfRangeValueToTheBound()
{
    WorkingDirectory dir;
    put("server.cfg", lf({"set maxclients 999", "set timelimit 12"}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("server.cfg line 1 .* outside 0 to 255"));
    window->Open->trigger();
    QCOMPARE(window->maxClientsSpinner->current(), 255);
    QCOMPARE(window->timeLimitSpinner->current(), 12);
}

void TestConfigCommands::savedFormsComeBack()
{
    WorkingDirectory dir;
    const quint32 seed = 20240607;
    QRandomGenerator random(seed);
    for (int round = 0; round < 2000; ++round) {
        for (const char *name : {"server.cfg", "motd.txt", "maplist.txt"})
            QFile::remove(name);
        window->New->trigger();
        fillRandomly(*window, random);
        const FormState saved = stateOf(*window);
        const QString motd = window->motdTextArea->toPlainText();

        window->Save->trigger();
        QCOMPARE(window->serverStatusBar->statusText(), "Finished generating files");
        window->New->trigger();
        window->Open->trigger();

        const QString where = QStringLiteral("round %1 of seed %2").arg(round).arg(seed);
        QVERIFY2(window->serverStatusBar->statusText() == "Done Reading", qPrintable(where));
        const FormState expected = expectedAfterReading(saved, *window);
        const FormState read = stateOf(*window);
        QVERIFY2(read == expected,
                 qPrintable(where + "\nread:     " + describe(read) + "\nexpected: " + describe(expected)));
        // Save writes a text and the same text with one line feed more
        // alike, and Open gives back the shorter.
        const bool oneLineFeedMore =
            motd.endsWith('\n') && !motd.chopped(1).isEmpty() && !motd.chopped(1).endsWith('\n');
        QCOMPARE(window->motdTextArea->toPlainText(), oneLineFeedMore ? motd.chopped(1) : motd);
    }
}

void TestConfigCommands::saveKeepsTheLinesTheFormDoesNotSet()
{
    WorkingDirectory dir;
    put("server.cfg",
        QByteArray(startUpServerCfg)
            .replace("set maplist 0\n", "set maplist 0\nset password secretjoin\nsv addip 10.0.0.1\n"
                                        "gamemap q2dm3\n"));
    window->Open->trigger();
    QVERIFY(window->serverStatusBar->toolTip().contains("Save keeps 2 lines of the opened server.cfg"));
    window->Save->trigger();
    QCOMPARE(contents("server.cfg"), startUpServerCfg + "set password secretjoin\nsv addip 10.0.0.1\n");

    // New clears the form, not the file's own lines.
    window->New->trigger();
    QVERIFY(window->serverStatusBar->toolTip().contains("Save keeps 2 lines of the opened server.cfg"));
    window->Save->trigger();
    QCOMPARE(contents("server.cfg"), startUpServerCfg + "set password secretjoin\nsv addip 10.0.0.1\n");
}

void TestConfigCommands::saveKeepsTheFoundSetOnceAndWhatAnotherWriterLeft()
{
    WorkingDirectory dir;
    put("server.cfg", "set maxclients 4\n");
    window->Save->trigger();
    window->serverNameField->setText("Second");
    window->Save->trigger();
    QCOMPARE(contents("server.cfg~"), "set maxclients 4\n");

    // An apply or a hand edit since this window's last Save is kept in turn.
    put("server.cfg", "set maxclients 6\n// applied\n");
    window->Save->trigger();
    QCOMPARE(contents("server.cfg~"), "set maxclients 6\n// applied\n");
    QVERIFY(contents("server.cfg").endsWith("// applied\n"));
}

// The operator's message survives Open and Save; a motd.txt that is gone
// leaves the text area as it was.
void TestConfigCommands::openReadsTheMessageOfTheDay()
{
    WorkingDirectory dir;
    const QByteArray motd = "Welcome to Frag Night\nBe nice\n" + startUpMotd;
    put("server.cfg", "set maxclients 8\n");
    put("motd.txt", motd);
    window->Open->trigger();
    QCOMPARE(window->motdTextArea->text(), "Welcome to Frag Night\nBe nice");
    window->Save->trigger();
    QCOMPARE(contents("motd.txt"), motd);

    QVERIFY(QFile::remove("motd.txt"));
    window->motdTextArea->setPlainText("Typed");
    window->Open->trigger();
    QCOMPARE(window->motdTextArea->text(), "Typed");
}

QTEST_MAIN(TestConfigCommands)
#include "tst_configcommands.moc"
