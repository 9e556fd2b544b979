// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationWriter.h"
#include "configfiles/JsonForm.h"

#include <QJsonDocument>
#include <QTest>

namespace {

QJsonObject objectOf(const char *json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("test data is no JSON object: %s", json);
    return document.object();
}

// The refusal of laying json over a fresh form; empty when it was taken.
QString refusalOf(const char *json)
{
    ServerForm form;
    QList<std::size_t> families;
    return JsonForm::layOver(form, objectOf(json), families).value_or(QString());
}

} // namespace

class TestJsonForm : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatWasApplied();
    void refusesWithTheNearestKey_data();
    void refusesWithTheNearestKey();
    void writesOnlyTheFilesGiven();
};

// Every key apply takes comes back from show under the same name, and show's
// document applied again changes nothing.
void TestJsonForm::showsWhatWasApplied()
{
    ServerForm form;
    QList<std::size_t> families;
    const auto refused = JsonForm::layOver(form, objectOf(R"({
        "serverName": "Kez Arena", "adminName": "Ann", "email": "ann@example.org",
        "webpage": "https://example.org/", "rconPassword": "s3cret", "startingMap": "q2dm1",
        "maxClients": 16, "fragLimit": 30, "timeLimit": 20, "revengeAward": 2,
        "highFraggerAward": 3, "dayNightTime": 255, "publicGame": true, "mapList": true,
        "rotation": ["q2dm1", "q2dm8"],
        "families": [{"variable": "weaponban", "flags": ["shotgun", "super blaster"]},
                     {"caption": "Frag Ban", "mask": "134217728"}],
        "motd": "Welcome\nbe nice"
    })"),
                                           families);
    QCOMPARE(refused.value_or(QString()), QString());
    QCOMPARE(families, (QList<std::size_t>{1, 8}));

    const char *const expected = R"({
        "serverName": "Kez Arena", "adminName": "Ann", "email": "ann@example.org",
        "webpage": "https://example.org/", "rconPassword": "s3cret", "startingMap": "q2dm1",
        "maxClients": 16, "fragLimit": 30, "timeLimit": 20, "revengeAward": 2,
        "highFraggerAward": 3, "dayNightTime": 255, "publicGame": true, "mapList": true,
        "rotation": ["q2dm1", "q2dm8"],
        "families": [
            {"variable": "dmflags", "caption": "DMFLAGS", "mask": "0", "flags": []},
            {"variable": "weaponban", "caption": "Weapon Ban", "mask": "3",
             "flags": ["shotgun", "super blaster"]},
            {"variable": "kezweaponban", "caption": "Kez Weapon Ban", "mask": "0", "flags": []},
            {"variable": "kezsweeperban", "caption": "Kez Sweeper Ban", "mask": "0", "flags": []},
            {"variable": "kezgrenadeban", "caption": "Kez Grenade Ban", "mask": "0", "flags": []},
            {"variable": "featureban", "caption": "Feature Ban", "mask": "0", "flags": []},
            {"variable": "kezfeatureban", "caption": "Kez Feature Ban", "mask": "0", "flags": []},
            {"variable": "kezarmorban", "caption": "Kez Armor Ban", "mask": "0", "flags": []},
            {"variable": "fragban", "caption": "Frag Ban", "mask": "134217728",
             "flags": ["frags for blaster"]}
        ],
        "complete": true
    })";
    // motd only where a motd.txt was read: apply writes one only when given.
    QCOMPARE(JsonForm::document(form, true), objectOf(expected));
    form.messageOfTheDayRead = true;
    const QJsonObject shown = JsonForm::document(form, true);
    QCOMPARE(shown.value(u"motd").toString(), QStringLiteral("Welcome\nbe nice"));

    ServerForm again;
    families.clear();
    QCOMPARE(JsonForm::layOver(again, shown, families), std::nullopt);
    again.messageOfTheDayRead = true;
    QCOMPARE(JsonForm::document(again, true), shown);
}

void TestJsonForm::refusesWithTheNearestKey_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("text key") << QByteArray(R"({"servername": "x"})")
                              << R"(unknown key "servername"; did you mean serverName?)";
    QTest::newRow("switch key") << QByteArray(R"({"maplist": true})")
                                << R"(unknown key "maplist"; did you mean mapList?)";
    QTest::newRow("list key") << QByteArray(R"({"rotaton": []})")
                              << R"(unknown key "rotaton"; did you mean rotation?)";
    QTest::newRow("number key") << QByteArray(R"({"dayNightTme": 3})")
                                << R"(unknown key "dayNightTme"; did you mean dayNightTime?)";
    QTest::newRow("far from every key") << QByteArray(R"({"xyz": 1})") << R"(unknown key "xyz")";
    QTest::newRow("family") << QByteArray(R"({"families": [{"variable": "weaponbam", "flags": []}]})")
                            << R"(no family has the variable "weaponbam"; did you mean weaponban?)";
    QTest::newRow("flag") << QByteArray(R"({"families": [{"caption": "Weapon Ban", "flags": ["shotgn"]}]})")
                          << R"(Weapon Ban has no flag "shotgn"; did you mean shotgun?)";
    QTest::newRow("past the spinner")
        << QByteArray(R"({"maxClients": 256})") << R"("maxClients" must be a whole number from 0 to 255)";
    QTest::newRow("below the spinner")
        << QByteArray(R"({"fragLimit": -1})") << R"("fragLimit" must be a whole number from 0 to 255)";
    QTest::newRow("unquoted value")
        << QByteArray(R"({"rconPassword": "a b"})")
        << R"("rconPassword" holds a space, which ends the word (Printable ASCII only (! to ~), without )"
           R"(spaces, ; " or $, not beginning with //, at most 127 characters: the console reads this )"
           R"(value as one unquoted word.))";
    QTest::newRow("switch type") << QByteArray(R"({"publicGame": 1})")
                                 << R"("publicGame" must be true or false, not a number)";
    QTest::newRow("mask and flags")
        << QByteArray(R"({"families": [{"variable": "weaponban", "mask": 3, "flags": ["shotgun"]}]})")
        << R"(the weaponban mask 3 and its flags (mask 2) disagree)";
    QTest::newRow("show's own key") << QByteArray(R"({"complete": false})") << QString();
}

void TestJsonForm::refusesWithTheNearestKey()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, refusal);
    QCOMPARE(refusalOf(json.constData()), refusal);
}

// apply writes motd.txt only when the input gives "motd", and a rotation
// read plainly as the pieces it was read in.
void TestJsonForm::writesOnlyTheFilesGiven()
{
    const auto names = [](const QList<FileToWrite> &files) {
        QStringList names;
        for (const FileToWrite &file : files)
            names.append(file.name);
        return names;
    };
    ServerSettings settings;
    settings.mapList = true;
    settings.maps = TextLines{QStringLiteral("q2dm1"), QStringLiteral("q2dm2")};
    const QList<FileToWrite> fromForm = configurationFiles(settings, false, std::nullopt);
    QCOMPARE(names(fromForm), (QStringList{"server.cfg", "maplist.txt"}));
    QCOMPARE(fromForm[1].pieces, (QByteArrayList{"q2dm1\nq2dm2\n"}));

    const QList<FileToWrite> plain = configurationFiles(settings, true, QByteArrayList{"q2dm1\n", "q2dm9\n"});
    QCOMPARE(names(plain), (QStringList{"server.cfg", "motd.txt", "maplist.txt"}));
    QCOMPARE(plain[2].pieces, (QByteArrayList{"q2dm1\n", "q2dm9\n"}));
    // Save's set is the same with every file given.
    QCOMPARE(configurationFiles(settings)[1].pieces, plain[1].pieces);

    settings.mapList = false;
    QCOMPARE(names(configurationFiles(settings, false, std::nullopt)), QStringList{"server.cfg"});
}

QTEST_GUILESS_MAIN(TestJsonForm)
#include "tst_jsonform.moc"
