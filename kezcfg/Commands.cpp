// SPDX-License-Identifier: GPL-2.0-or-later
#include "Commands.h"

#include "flags/FamilyNames.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/FieldTable.h"
#include "configfiles/JsonForm.h"
#include "configfiles/ServerForm.h"
#include "files/FileSetWriter.h"
#include "files/WriteTarget.h"
#include "text/DecimalText.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

int unknownFamily(const QString &name)
{
    const QString nearest = didYouMean(name, familyNames());
    if (!nearest.isEmpty())
        return failure(QStringLiteral("no family is called \"%1\"%2").arg(name, nearest));
    return failure(QStringLiteral("no family is called \"%1\"; the families are %2, or their tab captions")
                       .arg(name, familyVariables()));
}

void printField(const QString &label, const QString &value)
{
    const QString head = label.isEmpty() ? QString(21, u' ') : QStringLiteral("%1").arg(label + u':', -21);
    out() << (value.isEmpty() ? head.trimmed() : head + printable(value)) << '\n';
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
    out() << printableJson(QJsonDocument(JsonForm::document(form, complete)).toJson(QJsonDocument::Indented));
}

} // namespace

std::optional<int> refuseUnknownOption(const QString &command, const QStringList &arguments,
                                       const QStringList &known, const QStringList &valued)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (valued.contains(argument)) {
            ++i;
            continue;
        }
        // "-" is standard input and "-5" a number; "--" or "-x" begins an option.
        const bool option = argument.startsWith(u"--") ||
                            (argument.size() > 1 && argument.startsWith(u'-') && !argument[1].isDigit());
        if (!option || known.contains(argument))
            continue;
        QString message = QStringLiteral("%1: unknown option \"%2\"").arg(command, argument);
        if (known.isEmpty())
            message += QStringLiteral("; %1 takes no options").arg(command);
        else if (const std::optional<QString> nearest = nearestOf(argument, known))
            message += QStringLiteral("; did you mean %1?").arg(*nearest);
        else
            message += QStringLiteral("; its options are %1").arg(known.join(QStringLiteral(", ")));
        return failure(message);
    }
    return std::nullopt;
}

int folderFailure(const QString &folder)
{
    const QFileInfo info(folder);
    QString why;
    if (!info.exists())
        why = info.isSymLink() ? QStringLiteral("it is a link to nothing")
                               : QStringLiteral("there is no such folder");
    else if (!info.isDir())
        why = QStringLiteral("it is not a folder");
    else
        why = QStringLiteral("you may not enter it");
    return failure(QStringLiteral("cannot go into the folder \"%1\": %2").arg(folder, why));
}

std::optional<int> holdFolderForWriting(const QString &command, FolderLock &lock, bool check,
                                        std::chrono::milliseconds wait)
{
    if (!check) {
        if (const std::optional<QString> refusal = lock.lock(wait, [](const QString &text) { notice(text); }))
            return failure(QStringLiteral("%1 refused: %2").arg(command, *refusal));
    }
    const Recovery recovery = check ? FileSetWriter::inspect() : FileSetWriter::recover();
    if (recovery.outcome == Recovery::Outcome::Failed || recovery.outcome == Recovery::Outcome::Busy)
        return failure(QStringLiteral("%1 refused: %2; no file was changed").arg(command, recovery.message));
    if (recovery.outcome == Recovery::Outcome::Completed)
        notice(recovery.message);
    return std::nullopt;
}

std::optional<int> enterFolder(const QString &folder)
{
    // The folder is opened once, from "/", under the link rule, and held as
    // the working folder: every file after it is named from there, so a
    // folder swapped by name later changes nothing.
    QByteArray path = QFile::encodeName(folder);
    if (!path.startsWith('/')) {
        const QByteArray working = workingFolderPath();
        if (working.isEmpty())
            return folderFailure(folder);
        path = working + '/' + path;
    }
    path = QFile::encodeName(QDir::cleanPath(QFile::decodeName(path)));
    const FolderOpening opening = openFolderFromRoot(path);
    if (!opening.refusal.isEmpty())
        return failure(QStringLiteral("will not go into the folder \"%1\": %2; nothing was read or written")
                           .arg(folder, opening.refusal));
    if (opening.folder.get() < 0 || ::fchdir(opening.folder.get()) != 0)
        return folderFailure(folder);
    return std::nullopt;
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
    if (!mask) {
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]+$"));
        if (digits.match(arguments[1]).hasMatch()) {
            const bool negative = arguments[1].startsWith(u'-');
            return failure(QStringLiteral("the mask %1 is too %2: a mask is %3")
                               .arg(arguments[1],
                                    negative ? QStringLiteral("small") : QStringLiteral("large"),
                                    negative ? QStringLiteral("at least -2147483648")
                                             : QStringLiteral("at most 2147483647")));
        }
        return failure(QStringLiteral("the mask \"%1\" is not a decimal integer").arg(arguments[1]));
    }
    const FlagCatalogue catalogue = buildCatalogue(*FlagTables::families[*family]);
    for (const QString &name : flagNamesIn(catalogue, *mask))
        out() << name << '\n';
    const quint32 unknown = quint32(*mask) & ~carriedBits(catalogue);
    for (int bit = 0; bit < 32; ++bit) {
        if (unknown & (quint32(1) << bit))
            out() << QStringLiteral("bit %1 (%2): no flag\n").arg(bit).arg(quint32(1) << bit);
    }
    // The server holds the mask as a 32-bit float: the game may apply
    // other flags than the mask names.
    const qint32 seen = maskAsTheGameSeesIt(*mask);
    if (seen == *mask)
        return 0;
    const QStringList applied = flagNamesIn(catalogue, seen);
    out() << QStringLiteral("the game reads the mask %1 as %2 (settings are 32-bit floats) and applies: %3\n")
                 .arg(*mask)
                 .arg(seen)
                 .arg(applied.isEmpty() ? QStringLiteral("no flag") : applied.join(QStringLiteral(", ")));
    return 1;
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
                QStringLiteral("%1 has no flag \"%2\"%3")
                    .arg(QString::fromUtf16(table.caption), name, didYouMean(name, flagNamesOf(catalogue))));
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
    out().flush();
    if (complete)
        return 0;
    if (result.outcome == ConfigurationReadResult::Outcome::StoppedAtLine)
        return failure(QStringLiteral("server.cfg line %1%2 %3, so File / Open stops there")
                           .arg(result.lineNumber)
                           .arg(in, result.reason));
    return failure(result.reason + in);
}

} // namespace Commands
