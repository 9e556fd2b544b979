// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/JsonForm.h"

#include "configfiles/ApplyInput.h"
#include "configfiles/ConsoleRules.h"
#include "configfiles/FieldTable.h"
#include "flags/FamilyNames.h"
#include "text/DecimalText.h"
#include "text/NearestName.h"

#include <QJsonArray>
#include <QSet>
#include <cmath>

namespace {

// A value the window would refuse: the message names the key and the rule.
struct Refusal
{
    QString message;
};

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

void expectType(const QString &key, const QJsonValue &value, QJsonValue::Type type, const char *wanted)
{
    if (value.type() != type)
        throw Refusal{
            QStringLiteral("\"%1\" must be %2, not %3").arg(key, QLatin1String(wanted), typeName(value))};
}

QString textOf(const QString &key, const QJsonValue &value)
{
    expectType(key, value, QJsonValue::String, "text");
    return value.toString();
}

void checkConsoleRule(const QString &key, ConsoleRules::ValueKind kind, const QString &value)
{
    if (const std::optional<QString> fault = ConsoleRules::breach(kind, value))
        throw Refusal{QStringLiteral("\"%1\" %2 (%3)").arg(key, *fault, ConsoleRules::statement(kind))};
}

std::optional<qint32> wholeNumber(const QJsonValue &value)
{
    if (value.isString())
        return parseDecimalInteger(value.toString());
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::floor(number) || number < -2147483648.0 || number > 2147483647.0)
        return std::nullopt;
    return qint32(number);
}

// The family an entry names by "variable" or "caption", each taking either
// the server.cfg variable or the tab caption, as the command line does.
std::size_t familyOfEntry(const QJsonObject &object)
{
    std::optional<std::size_t> family;
    for (const char16_t *key : {u"variable", u"caption"}) {
        if (!object.contains(key))
            continue;
        const QString name =
            textOf(QStringLiteral("families: ") + QString::fromUtf16(key), object.value(key));
        const std::optional<std::size_t> named = familyNamed(name);
        if (!named) {
            const QString nearest = didYouMean(name, familyNames());
            throw Refusal{nearest.isEmpty()
                              ? QStringLiteral(
                                    "no family has the %1 \"%2\"; the families are %3, or their tab captions")
                                    .arg(QString::fromUtf16(key), name, familyVariables())
                              : QStringLiteral("no family has the %1 \"%2\"%3")
                                    .arg(QString::fromUtf16(key), name, nearest)};
        }
        if (family && *family != *named)
            throw Refusal{
                QStringLiteral("the \"variable\" and \"caption\" of a families entry name two families")};
        family = named;
    }
    if (!family)
        throw Refusal{QStringLiteral("a families entry names no family: give \"variable\" (or \"caption\")")};
    return *family;
}

// A family given replaces that family's flags: by name, by mask, or both
// when they agree.
void applyFamily(ServerForm &form, const QJsonValue &entry)
{
    expectType(QStringLiteral("families"), entry, QJsonValue::Object, "a list of objects");
    const QJsonObject object = entry.toObject();
    const std::size_t family = familyOfEntry(object);
    FlagSelection &selection = form.families[family];
    const QString caption = QString::fromUtf16(selection.table().caption);
    const QString variable = QString::fromUtf16(selection.table().variable);
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != u"variable" && it.key() != u"caption" && it.key() != u"mask" && it.key() != u"flags")
            throw Refusal{QStringLiteral("the %1 entry has an unknown key \"%2\"").arg(variable, it.key())};
    }
    // An entry that gives neither would clear the family without a word.
    if (!object.contains(u"flags") && !object.contains(u"mask"))
        throw Refusal{
            QStringLiteral("the %1 (%2) entry gives neither \"flags\" nor \"mask\"; \"flags\": [] clears "
                           "the family")
                .arg(caption, variable)};

    selection.build();
    if (object.contains(u"flags")) {
        expectType(variable + QStringLiteral(": flags"), object.value(u"flags"), QJsonValue::Array, "a list");
        for (const QJsonValue &name : object.value(u"flags").toArray()) {
            const QString text = textOf(variable + QStringLiteral(": flags"), name);
            const QuakeFlag *flag = findFlag(selection.catalogue(), text);
            if (!flag)
                throw Refusal{noFlagNamed(selection.table(), selection.catalogue(), text)};
            selection.set(flag->getFlagName());
        }
    }
    if (object.contains(u"mask")) {
        const std::optional<qint32> mask = wholeNumber(object.value(u"mask"));
        if (!mask)
            throw Refusal{
                QStringLiteral("the %1 mask must be a whole number or decimal integer text").arg(variable)};
        const quint32 unknown = quint32(*mask) & ~carriedBits(selection.catalogue());
        if (unknown)
            throw Refusal{QStringLiteral("the %1 mask %2 has bits that no %3 flag carries")
                              .arg(variable)
                              .arg(*mask)
                              .arg(caption)};
        if (object.contains(u"flags")) {
            if (selection.maskText() != QString::number(*mask))
                throw Refusal{QStringLiteral("the %1 mask %2 and its flags (mask %3) disagree")
                                  .arg(variable)
                                  .arg(*mask)
                                  .arg(selection.maskText())};
        } else {
            for (const QString &name : flagNamesIn(selection.catalogue(), *mask))
                selection.set(name);
        }
    }
    form.values.masks[family] = selection.maskText();
}

// Every key apply takes, for "did you mean": the order decides between two
// keys equally near.
QStringList appliedKeys()
{
    using namespace FieldTable;
    QStringList keys;
    for (const SwitchField &box : switchFields)
        keys.append(QLatin1String(box.key));
    keys << QLatin1String(rotationKey) << QLatin1String(familiesKey) << QLatin1String(motdKey);
    for (const TextField &text : textFields)
        keys.append(QLatin1String(text.key));
    for (const NumberField &number : numberFields)
        keys.append(QLatin1String(number.key));
    return keys;
}

void applyKey(ServerForm &form, const QString &key, const QJsonValue &value)
{
    using namespace FieldTable;
    ServerSettings &values = form.values;
    for (const TextField &text : textFields) {
        if (key == QLatin1String(text.key)) {
            const QString given = textOf(key, value);
            checkConsoleRule(key, text.kind, given);
            values.text(text.control) = given;
            return;
        }
    }
    for (const NumberField &number : numberFields) {
        if (key == QLatin1String(number.key)) {
            expectType(key, value, QJsonValue::Double, "a number");
            const std::optional<qint32> given = wholeNumber(value);
            if (!given || *given < number.minimum || *given > number.maximum)
                throw Refusal{QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                                  .arg(key)
                                  .arg(number.minimum)
                                  .arg(number.maximum)};
            values.number(number.spinner) = *given;
            return;
        }
    }
    for (const SwitchField &box : switchFields) {
        if (key == QLatin1String(box.key)) {
            expectType(key, value, QJsonValue::Bool, "true or false");
            (box.checkbox == CheckboxControl::PublicGame ? values.publicGame : values.mapList) =
                value.toBool();
            return;
        }
    }
    if (key == QLatin1String(rotationKey)) {
        expectType(key, value, QJsonValue::Array, "a list");
        TextLines maps;
        const QJsonArray names = value.toArray();
        for (const QJsonValueConstRef map : names) {
            // Asked first, so that a name is not copied into a value only to be checked.
            if (!map.isString())
                expectType(key, map, QJsonValue::String, "text");
            const QString name = map.toString();
            if (name.isEmpty())
                throw Refusal{QStringLiteral("\"rotation\" holds an empty map name")};
            // The rule is asked first: a million names each put into a message
            // that is never shown cost more than the rest of the check.
            if (ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, name))
                checkConsoleRule(QStringLiteral("rotation: ") + name, ConsoleRules::ValueKind::Unquoted,
                                 name);
            maps.append(name);
        }
        values.maps = std::move(maps);
    } else if (key == QLatin1String(familiesKey)) {
        expectType(key, value, QJsonValue::Array, "a list");
        // Two entries for one family, however each names it, would leave the
        // earlier one lost unseen.
        QSet<std::size_t> given;
        for (const QJsonValue &entry : value.toArray()) {
            expectType(QStringLiteral("families"), entry, QJsonValue::Object, "a list of objects");
            const std::size_t family = familyOfEntry(entry.toObject());
            if (given.contains(family))
                throw Refusal{QStringLiteral("\"families\" has two entries for %1")
                                  .arg(QString::fromUtf16(form.families[family].table().variable))};
            given.insert(family);
            applyFamily(form, entry);
        }
    } else if (key == QLatin1String(motdKey)) {
        values.messageOfTheDay = textOf(key, value);
        if (const std::optional<QString> fault = messageOfTheDayFault(values.messageOfTheDay))
            throw Refusal{*fault};
    } else if (key != QLatin1String(completeKey)) { // printed by show --json, and meaningless here
        throw Refusal{QStringLiteral("unknown key \"%1\"%2").arg(key, didYouMean(key, appliedKeys()))};
    }
}

} // namespace

namespace JsonForm {

QJsonObject document(const ServerForm &form, bool complete)
{
    using namespace FieldTable;
    const ServerSettings &values = form.values;
    QJsonObject document;
    for (const TextField &text : textFields)
        document.insert(QLatin1String(text.key), values.text(text.control));
    for (const NumberField &number : numberFields)
        document.insert(QLatin1String(number.key), values.number(number.spinner));
    for (const SwitchField &box : switchFields)
        document.insert(QLatin1String(box.key),
                        box.checkbox == CheckboxControl::PublicGame ? values.publicGame : values.mapList);
    document.insert(QLatin1String(rotationKey), QJsonArray::fromStringList(values.maps.toStringList()));
    QJsonArray families;
    for (const FlagSelection &family : form.families) {
        families.append(QJsonObject{
            {QStringLiteral("variable"), QString::fromUtf16(family.table().variable)},
            {QStringLiteral("caption"), QString::fromUtf16(family.table().caption)},
            {QStringLiteral("mask"), family.maskText()},
            {QStringLiteral("flags"), QJsonArray::fromStringList(family.banned())},
        });
    }
    document.insert(QLatin1String(familiesKey), families);
    // Only what motd.txt holds: a message made up here would write a
    // motd.txt where there was none when applied.
    if (form.messageOfTheDayRead)
        document.insert(QLatin1String(motdKey), values.messageOfTheDay);
    document.insert(QLatin1String(completeKey), complete);
    return document;
}

std::optional<QString> layOver(ServerForm &form, const QJsonObject &object, QList<std::size_t> &givenFamilies)
{
    try {
        for (auto it = object.begin(); it != object.end(); ++it)
            applyKey(form, it.key(), it.value());
        for (const QJsonValue &entry : object.value(QLatin1String(FieldTable::familiesKey)).toArray())
            givenFamilies.append(familyOfEntry(entry.toObject())); // known good: applied above
    } catch (const Refusal &refusal) {
        return refusal.message;
    }
    return std::nullopt;
}

} // namespace JsonForm
