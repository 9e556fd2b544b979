// SPDX-License-Identifier: GPL-2.0-or-later
#include "Commands.h"

#include "Families.h"

#include "configfiles/ConfigurationReader.h"
#include "configfiles/OutsideText.h"
#include "configfiles/ServerForm.h"
#include "flags/DecimalText.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

int unknownFamily(const QString &name)
{
    return failure(QStringLiteral("no family is called \"%1\"; the families are %2, or their tab captions")
                       .arg(name, familyVariables()));
}

// Where each value of the form is shown, and its key in the JSON document.
struct TextLabel
{
    const char *label;
    const char *key;
    TextControl control;
};
constexpr TextLabel textLabels[] = {
    {"Server name", "serverName", TextControl::ServerName},
    {"Admin name", "adminName", TextControl::AdminName},
    {"E-mail", "email", TextControl::Email},
    {"Web page", "webpage", TextControl::Webpage},
    {"Rcon password", "rconPassword", TextControl::RconPassword},
    {"Starting map", "startingMap", TextControl::StartingMap},
};
struct NumberLabel
{
    const char *label;
    const char *key;
    SpinnerControl spinner;
};
constexpr NumberLabel numberLabels[] = {
    {"Max clients", "maxClients", SpinnerControl::MaxClients},
    {"Frag limit", "fragLimit", SpinnerControl::FragLimit},
    {"Time limit", "timeLimit", SpinnerControl::TimeLimit},
    {"Revenge award", "revengeAward", SpinnerControl::RevengeAward},
    {"High fragger award", "highFraggerAward", SpinnerControl::HighFraggerAward},
    {"Day-night time", "dayNightTime", SpinnerControl::DayNightTime},
};

void printField(const QString &label, const QString &value)
{
    const QString head = label.isEmpty() ? QString(21, u' ') : QStringLiteral("%1").arg(label + u':', -21);
    out() << (value.isEmpty() ? head.trimmed() : head + printable(value)) << '\n';
}

void printText(const ServerForm &form)
{
    const ServerSettings &values = form.values;
    for (const TextLabel &text : textLabels)
        printField(QLatin1String(text.label), values.text(text.control));
    for (const NumberLabel &number : numberLabels)
        printField(QLatin1String(number.label), QString::number(values.number(number.spinner)));
    printField(QStringLiteral("Public game"),
               values.publicGame ? QStringLiteral("yes") : QStringLiteral("no"));
    printField(QStringLiteral("Map list"), values.mapList ? QStringLiteral("on") : QStringLiteral("off"));
    if (values.maps.isEmpty())
        printField(QStringLiteral("Rotation"), QStringLiteral("(empty)"));
    for (qsizetype i = 0; i < values.maps.size(); ++i)
        printField(i == 0 ? QStringLiteral("Rotation") : QString(), values.maps[i]);
    for (const FlagSelection &family : form.families) {
        QString line = family.maskText();
        if (!family.banned().isEmpty())
            line += QStringLiteral(" = ") + family.banned().join(QStringLiteral(", "));
        printField(QString::fromUtf16(family.table().caption), line);
    }
}

void printJson(const ServerForm &form, bool complete)
{
    const ServerSettings &values = form.values;
    QJsonObject document;
    for (const TextLabel &text : textLabels)
        document.insert(QLatin1String(text.key), values.text(text.control));
    for (const NumberLabel &number : numberLabels)
        document.insert(QLatin1String(number.key), values.number(number.spinner));
    document.insert(QStringLiteral("publicGame"), values.publicGame);
    document.insert(QStringLiteral("mapList"), values.mapList);
    document.insert(QStringLiteral("rotation"), QJsonArray::fromStringList(values.maps.toStringList()));
    QJsonArray families;
    for (const FlagSelection &family : form.families) {
        families.append(QJsonObject{
            {QStringLiteral("variable"), QString::fromUtf16(family.table().variable)},
            {QStringLiteral("caption"), QString::fromUtf16(family.table().caption)},
            {QStringLiteral("mask"), family.maskText()},
            {QStringLiteral("flags"), QJsonArray::fromStringList(family.banned())},
        });
    }
    document.insert(QStringLiteral("families"), families);
    document.insert(QStringLiteral("complete"), complete);
    out() << printableJson(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

} // namespace

int failure(const QString &message)
{
    // Made printable as a whole: a message quotes file names, keys and values
    // from outside, and one NUL in them must not end it.
    const QByteArray line = "kezcfg: " + printable(message).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    return 2;
}

std::optional<double> numberOption(const QString &option, const QString &value, const QString &unit,
                                   double minimum, double maximum)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && std::isfinite(number) && number >= minimum && number <= maximum)
        return number;
    failure(QStringLiteral("%1 takes %2 from %3 to %4, not \"%5\"")
                .arg(option, unit, QString::number(minimum), QString::number(maximum), value));
    return std::nullopt;
}

namespace Commands {

int flags(const QStringList &arguments)
{
    if (arguments.size() > 1)
        return failure(QStringLiteral("flags takes at most one family"));
    std::optional<std::size_t> only;
    if (!arguments.isEmpty() && !(only = familyNamed(arguments[0])))
        return unknownFamily(arguments[0]);
    bool first = true;
    for (std::size_t family = 0; family < FlagTables::familyCount; ++family) {
        if (only && *only != family)
            continue;
        const FlagTable &table = *FlagTables::families[family];
        if (!first)
            out() << '\n';
        first = false;
        out() << QString::fromUtf16(table.caption) << " (set " << QString::fromUtf16(table.variable) << ")\n";
        for (const QuakeFlag &flag : buildCatalogue(table)) {
            const int bit = qCountTrailingZeroBits(quint32(flag.getFlagValue()));
            out() << QStringLiteral("  bit %1  %2  %3\n")
                         .arg(bit, 2)
                         .arg(flag.getFlagValue(), 10)
                         .arg(flag.getFlagName());
        }
    }
    return 0;
}

int decode(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return failure(QStringLiteral("decode takes a family and a mask"));
    const std::optional<std::size_t> family = familyNamed(arguments[0]);
    if (!family)
        return unknownFamily(arguments[0]);
    const std::optional<qint32> mask = parseDecimalInteger(arguments[1]);
    if (!mask)
        return failure(QStringLiteral("the mask \"%1\" is not a decimal integer").arg(arguments[1]));
    const FlagCatalogue catalogue = buildCatalogue(*FlagTables::families[*family]);
    for (const QString &name : flagNamesIn(catalogue, *mask))
        out() << name << '\n';
    const quint32 unknown = quint32(*mask) & ~carriedBits(catalogue);
    for (int bit = 0; bit < 32; ++bit) {
        if (unknown & (quint32(1) << bit))
            out() << QStringLiteral("bit %1 (%2): no flag\n").arg(bit).arg(quint32(1) << bit);
    }
    return 0;
}

int encode(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return failure(QStringLiteral("encode takes a family and flag names"));
    const std::optional<std::size_t> family = familyNamed(arguments[0]);
    if (!family)
        return unknownFamily(arguments[0]);
    const FlagTable &table = *FlagTables::families[*family];
    const FlagCatalogue catalogue = buildCatalogue(table);
    quint32 mask = 0;
    for (const QString &name : arguments.mid(1)) {
        const QuakeFlag *flag = findFlag(catalogue, name);
        if (!flag)
            return failure(
                QStringLiteral("%1 has no flag \"%2\"").arg(QString::fromUtf16(table.caption), name));
        mask |= quint32(flag->getFlagValue());
    }
    out() << qint32(mask) << '\n';
    return 0;
}

int show(const QStringList &arguments)
{
    QStringList rest = arguments;
    const bool json = rest.removeAll(QStringLiteral("--json")) > 0;
    if (rest.size() > 1)
        return failure(QStringLiteral("show takes at most one folder"));
    const QString folder = rest.value(0, QStringLiteral("."));
    if (!QDir::setCurrent(folder))
        return failure(QStringLiteral("cannot go into the folder \"%1\"").arg(folder));
    ServerForm form;
    const ConfigurationReadResult result = readConfiguration(form);
    if (result.outcome == ConfigurationReadResult::Outcome::ServerCfgNotFound)
        return failure(form.statusText);
    const bool complete = result.outcome == ConfigurationReadResult::Outcome::Done;
    if (json)
        printJson(form, complete);
    else
        printText(form);
    out().flush();
    if (complete)
        return 0;
    if (result.outcome == ConfigurationReadResult::Outcome::StoppedAtLine)
        return failure(QStringLiteral("server.cfg line %1 %2, so File / Open stops there")
                           .arg(result.lineNumber)
                           .arg(result.reason));
    return failure(result.reason);
}

} // namespace Commands
