// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg show: the configuration set as File / Open lays it over a form fresh
// from start-up, as text or as the JSON document apply takes.
#include "Commands.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/FieldTable.h"
#include "configfiles/JsonForm.h"
#include "configfiles/ServerForm.h"
#include "text/OutsideText.h"

#include <QJsonDocument>

namespace {

void printField(const QString &label, const QString &value)
{
    const QString head = label.isEmpty() ? QString(21, u' ') : QStringLiteral("%1").arg(label + u':', -21);
    printOut((value.isEmpty() ? head.trimmed() : head + printable(value)) + u'\n');
}

void printText(const ServerForm &form)
{
    using namespace FieldTable;
    const ServerSettings &values = form.values;
    for (const TextField &text : textFields)
        printField(QLatin1String(text.label), values.text(text.control));
    for (const NumberField &number : numberFields)
        printField(QLatin1String(number.label), QString::number(values.number(number.spinner)));
    for (const SwitchField &box : switchFields) {
        const bool ticked = box.checkbox == CheckboxControl::PublicGame ? values.publicGame : values.mapList;
        printField(QLatin1String(box.label), QLatin1String(ticked ? box.on : box.off));
    }
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
    printOut(printableJson(QJsonDocument(JsonForm::document(form, complete)).toJson(QJsonDocument::Indented)));
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
