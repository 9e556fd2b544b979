#include "flags/DecimalText.h"
#include "flags/FlagCatalogues.h"

#include <QSet>
#include <QTest>

class TestCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void catalogue_data();
    void catalogue();
    void namesUniqueAcrossFamiliesIgnoringCase();
    void textForm();
    void decimalText_data();
    void decimalText();
};

namespace {
const FlagTable *const allTables[] = {
    &FlagTables::dmflags,     &FlagTables::weapons,     &FlagTables::kezweapons,
    &FlagTables::kezsweepers, &FlagTables::kezgrenades, &FlagTables::features,
    &FlagTables::kezfeatures, &FlagTables::kezarmors,   &FlagTables::fragban};
}

void TestCatalogues::catalogue_data()
{
    QTest::addColumn<const FlagTable *>("table");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<qint32>("firstValue");
    QTest::addColumn<qint32>("sum");

    QTest::newRow("DMFLAGS") << &FlagTables::dmflags << 19 << "DF_NO_HEALTH"
                             << "DF_ANTICAMPER" << 1 << 524287;
    QTest::newRow("Weapon Ban") << &FlagTables::weapons << 26 << "super blaster"
                                << "BFG10K" << 1 << 67108863;
    QTest::newRow("Kez Weapon Ban") << &FlagTables::kezweapons << 21 << "airfist"
                                    << "Explosive Super Shotgun" << 1 << 2097151;
    QTest::newRow("Kez Sweeper Ban") << &FlagTables::kezsweepers << 11 << "superblastersweeper"
                                     << "explosive streetsweeper" << 1 << 2047;
    QTest::newRow("Kez Grenade Ban") << &FlagTables::kezgrenades << 6 << "plasmaclustergrenade"
                                     << "Blindnessgrenade" << 1 << 63;
    QTest::newRow("Feature Ban") << &FlagTables::features << 20 << "bandolier"
                                 << "jetpack" << 1 << 1048575;
    QTest::newRow("Kez Feature Ban") << &FlagTables::kezfeatures << 24 << "cloak"
                                     << "Holo" << 1 << 16777215;
    QTest::newRow("Kez Armor Ban") << &FlagTables::kezarmors << 7 << "Organic Armor"
                                   << "Grenade Armor" << 1 << 127;
    QTest::newRow("Frag Ban") << &FlagTables::fragban << 4 << "frags for blaster"
                              << "frags for grappling hook" << 134217728 << 2013265920;
}

void TestCatalogues::catalogue()
{
    QFETCH(const FlagTable *, table);
    QFETCH(int, entries);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(qint32, firstValue);
    QFETCH(qint32, sum);

    const FlagCatalogue catalogue = buildCatalogue(*table);
    QCOMPARE(catalogue.size(), entries);
    QCOMPARE(catalogue.first().getFlagName(), first);
    QCOMPARE(catalogue.last().getFlagName(), last);
    QCOMPARE(catalogue.first().getFlagValue(), firstValue);

    // Consecutive single bits: each value is twice the one before, so no two
    // flags share a bit and the sum is the OR of all of them.
    qint64 total = 0;
    QSet<QString> names;
    for (int i = 0; i < catalogue.size(); ++i) {
        if (i > 0)
            QCOMPARE(qint64(catalogue[i].getFlagValue()), 2 * qint64(catalogue[i - 1].getFlagValue()));
        total += catalogue[i].getFlagValue();
        names.insert(catalogue[i].getFlagName().toLower());
    }
    QCOMPARE(total, qint64(sum));
    QCOMPARE(names.size(), entries);
}

void TestCatalogues::namesUniqueAcrossFamiliesIgnoringCase()
{
    QSet<QString> seen;
    int count = 0;
    for (const FlagTable *table : allTables) {
        for (const QuakeFlag &flag : buildCatalogue(*table)) {
            seen.insert(flag.getFlagName().toCaseFolded());
            ++count;
        }
    }
    QCOMPARE(count, 138);
    QCOMPARE(seen.size(), count);
}

void TestCatalogues::textForm()
{
    const FlagCatalogue dmflags = buildCatalogue(FlagTables::dmflags);
    QCOMPARE(dmflags.first().toString(), QStringLiteral("Flag Name: DF_NO_HEALTH Flag Value: 1"));
    // Names keep their exact spelling: mixed case, spaces and a slash.
    const FlagCatalogue features = buildCatalogue(FlagTables::features);
    QCOMPARE(features.at(16).getFlagName(), QStringLiteral("push/pull"));
    QCOMPARE(buildCatalogue(FlagTables::kezfeatures).at(6).getFlagName(), QStringLiteral("KEZ Player ID"));
    QCOMPARE(buildCatalogue(FlagTables::kezweapons).at(9).getFlagName(), QStringLiteral("Icecube Gun"));
}

void TestCatalogues::decimalText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("value");

    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << qint32(-2147483647 - 1);
    QTest::newRow("one past largest") << "2147483648" << false << 0;
    QTest::newRow("one past smallest") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("minus alone") << "-" << false << 0;
    QTest::newRow("plus sign") << "+5" << false << 0;
    QTest::newRow("leading space") << " 5" << false << 0;
    QTest::newRow("trailing space") << "5 " << false << 0;
    QTest::newRow("letters") << "12a" << false << 0;
    QTest::newRow("double minus") << "--5" << false << 0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << 0;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("\uff11") << false << 0;
}

void TestCatalogues::decimalText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint32, value);

    const std::optional<qint32> parsed = parseDecimalInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
