// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg show: the configuration set as File / Open lays it over a form fresh
// from start-up, as text or as the JSON document apply takes.
#include "Commands.h"

#include "Families.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ServerForm.h"
#include "text/OutsideText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

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
    printOut((value.isEmpty() ? head.trimmed() : head + printable(value)) + u'\n');
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
    if (form.messageOfTheDayRead) {
        const QStringList lines = ConfigurationLines::motdMessageLines(values.messageOfTheDay);
        if (lines.isEmpty())
            printField(QStringLiteral("Message of the day"), QString());
        for (qsizetype i = 0; i < lines.size(); ++i)
            printField(i == 0 ? QStringLiteral("Message of the day") : QString(), lines[i]);
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
    // Only what motd.txt holds: a message made up here would write a
    // motd.txt where there was none when applied.
    if (form.messageOfTheDayRead)
        document.insert(QStringLiteral("motd"), values.messageOfTheDay);
    document.insert(QStringLiteral("complete"), complete);
    printOut(printableJson(QJsonDocument(document).toJson(QJsonDocument::Indented)));
}

} // namespace

namespace Commands {

int show(const ShowOptions &options)
{
    const bool json = options.json;
    const QString &folder = options.folder;
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;
    ServerForm form;
    const ConfigurationReadResult result = readConfiguration(form);
    // Named as given: the operator, or a playbook's log, knows it so.
    const QString in = QStringLiteral(" in \"%1\"").arg(folder);
    if (result.outcome == ConfigurationReadResult::Outcome::ServerCfgNotFound)
        return failure(form.statusText + in);
    const bool complete = result.outcome == ConfigurationReadResult::Outcome::Done;
    if (json)
        printJson(form, complete);
    else
        printText(form);
    if (complete)
        return 0;
    if (result.outcome == ConfigurationReadResult::Outcome::StoppedAtLine)
        return failure(QStringLiteral("server.cfg line %1%2 %3, so File / Open stops there")
                           .arg(result.lineNumber)
                           .arg(in, result.reason));
    return failure(result.reason + in);
}

} // namespace Commands
