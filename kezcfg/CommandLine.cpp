// SPDX-License-Identifier: GPL-2.0-or-later
#include "CommandLine.h"

#include "text/NearestName.h"
#include "Output.h"

#include "text/InputBounds.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

// What an option takes after it, and so how a missing or wrong value is
// told.
enum class Takes {
    Nothing,
    Text,
    Timeout, // seconds, within InputBounds' timeout
    LockWait // seconds that apply waits for the folder's lock
};

struct Option
{
    QString name;
    Takes takes = Takes::Nothing;
};

// The options a command line gave, and the arguments that are none.
struct Given
{
    QSet<QString> switches;
    QHash<QString, QString> texts;
    QHash<QString, double> numbers;
    QStringList operands;
};

// "-" is standard input and "-5" a number; "--" or "-x" begins an option.
bool looksLikeOption(const QString &argument)
{
    return argument.startsWith(u"--") ||
           (argument.size() > 1 && argument.startsWith(u'-') && !argument[1].isDigit());
}

// A finite number from minimum to maximum written as text; nothing for
// anything else (nan, inf, a negative, 1e-300).
std::optional<double> numberIn(const QString &text, double minimum, double maximum)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (ok && std::isfinite(number) && number >= minimum && number <= maximum)
        return number;
    return std::nullopt;
}

// --wait names its range both for a missing value and for a wrong one.
int wrongLockWait()
{
    return failure(QStringLiteral("--wait takes a number of seconds from 0 to %1")
                       .arg(InputBounds::lockWaitMaximum.count()));
}

// Every option of arguments in command's list, or the exit status after
// naming the first that is not, with the nearest known one.
std::optional<int> refuseUnknownOption(const QString &command, const QStringList &arguments,
                                       const QList<Option> &options)
{
    QStringList known;
    QStringList valued;
    for (const Option &option : options) {
        known.append(option.name);
        if (option.takes != Takes::Nothing)
            valued.append(option.name);
    }
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (valued.contains(argument)) {
            ++i;
            continue;
        }
        if (!looksLikeOption(argument) || known.contains(argument))
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

// The options and operands of arguments, whose options are all known; a
// value is checked where it stands, the later of two counts. The exit
// status, after a message, for a value that is missing or wrong.
std::variant<Given, int> take(const QStringList &arguments, const QList<Option> &options)
{
    Given given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const auto option = std::find_if(options.cbegin(), options.cend(),
                                         [&](const Option &known) { return known.name == argument; });
        if (option == options.cend()) {
            given.operands.append(argument);
            continue;
        }
        if (option->takes == Takes::Nothing) {
            given.switches.insert(argument);
            continue;
        }
        if (i + 1 >= arguments.size()) {
            if (option->takes == Takes::LockWait)
                return wrongLockWait();
            return failure(QStringLiteral("%1 needs a value").arg(argument));
        }
        const QString &value = arguments[++i];
        if (option->takes == Takes::Text) {
            given.texts.insert(argument, value);
        } else if (option->takes == Takes::Timeout) {
            const std::optional<double> seconds =
                numberIn(value, InputBounds::timeoutMinimum, InputBounds::timeoutMaximum);
            if (!seconds)
                return failure(QStringLiteral("%1 takes seconds from %2 to %3, not \"%4\"")
                                   .arg(argument, QString::number(InputBounds::timeoutMinimum),
                                        QString::number(InputBounds::timeoutMaximum), value));
            given.numbers.insert(argument, *seconds);
        } else {
            const std::optional<double> seconds =
                numberIn(value, 0, double(InputBounds::lockWaitMaximum.count()));
            if (!seconds)
                return wrongLockWait();
            given.numbers.insert(argument, *seconds);
        }
    }
    return given;
}

// Makes a command's options struct of what was given, or refuses its
// operands in the command's own words.
using Build = CommandLine (*)(const Given &);

Refused refuse(const QString &message)
{
    return {failure(message)};
}

QString folderOf(const Given &given)
{
    return given.operands.value(0, QStringLiteral("."));
}

CommandLine flags(const Given &given)
{
    if (given.operands.size() > 1)
        return refuse(QStringLiteral("flags takes at most one family"));
    FlagsOptions options;
    if (!given.operands.isEmpty())
        options.family = given.operands[0];
    return options;
}

CommandLine decode(const Given &given)
{
    if (given.operands.size() != 2)
        return refuse(QStringLiteral("decode takes a family and a mask"));
    return DecodeOptions{given.operands[0], given.operands[1]};
}

CommandLine encode(const Given &given)
{
    if (given.operands.isEmpty())
        return refuse(QStringLiteral("encode takes a family and flag names"));
    return EncodeOptions{given.operands[0], given.operands.mid(1)};
}

CommandLine show(const Given &given)
{
    if (given.operands.size() > 1)
        return refuse(QStringLiteral("show takes at most one folder"));
    return ShowOptions{given.switches.contains(QStringLiteral("--json")), folderOf(given)};
}

CommandLine check(const Given &given)
{
    if (given.operands.size() > 1)
        return refuse(QStringLiteral("check takes at most one folder"));
    return CheckOptions{folderOf(given)};
}

CommandLine maps(const Given &given)
{
    if (given.operands.size() > 1)
        return refuse(QStringLiteral("maps takes at most one folder"));
    return MapsOptions{given.switches.contains(QStringLiteral("--json")), folderOf(given)};
}

CommandLine apply(const Given &given)
{
    if (given.operands.isEmpty() || given.operands.size() > 2)
        return refuse(
            QStringLiteral("apply takes an optional folder and a JSON file, or - for standard input"));
    ApplyOptions options;
    options.check = given.switches.contains(QStringLiteral("--check"));
    options.force = given.switches.contains(QStringLiteral("--force"));
    if (const auto wait = given.numbers.constFind(QStringLiteral("--wait")); wait != given.numbers.cend())
        options.wait = std::chrono::milliseconds(qint64(*wait * 1000));
    options.input = given.operands.last();
    options.folder = given.operands.size() == 2 ? given.operands[0] : QStringLiteral(".");
    return options;
}

CommandLine status(const Given &given)
{
    StatusOptions options;
    options.json = given.switches.contains(QStringLiteral("--json"));
    options.rcon = given.switches.contains(QStringLiteral("--rcon"));
    options.remote = given.switches.contains(QStringLiteral("--remote"));
    options.timeout = given.numbers.value(QStringLiteral("--timeout"), options.timeout);
    options.against = given.texts.value(QStringLiteral("--against"));
    options.targets = given.operands;
    if (options.targets.isEmpty())
        return refuse(QStringLiteral("status takes at least one server, HOST[:PORT]"));
    if (options.rcon && options.against.isEmpty())
        return refuse(QStringLiteral("--rcon needs --against DIR, whose rcon_password it sends"));
    return options;
}

CommandLine reload(const Given &given)
{
    if (given.operands.size() < 2)
        return refuse(QStringLiteral("reload takes a folder and at least one server, HOST[:PORT]"));
    ReloadOptions options;
    options.check = given.switches.contains(QStringLiteral("--check"));
    options.remote = given.switches.contains(QStringLiteral("--remote"));
    options.timeout = given.numbers.value(QStringLiteral("--timeout"), options.timeout);
    options.folder = given.operands[0];
    options.targets = given.operands.mid(1);
    return options;
}

CommandLine restore(const Given &given)
{
    if (given.operands.size() > 1)
        return refuse(QStringLiteral("restore takes an optional folder"));
    return RestoreOptions{given.switches.contains(QStringLiteral("--check")), folderOf(given)};
}

struct Command
{
    const char *name;
    Build build;
    QList<Option> options;
};

const QList<Command> &commands()
{
    static const QList<Command> all = {
        {"flags", flags, {}},
        {"decode", decode, {}},
        {"encode", encode, {}},
        {"show", show, {{QStringLiteral("--json")}}},
        {"check", check, {}},
        {"maps", maps, {{QStringLiteral("--json")}}},
        {"apply",
         apply,
         {{QStringLiteral("--check")},
          {QStringLiteral("--force")},
          {QStringLiteral("--wait"), Takes::LockWait}}},
        {"status",
         status,
         {{QStringLiteral("--json")},
          {QStringLiteral("--timeout"), Takes::Timeout},
          {QStringLiteral("--against"), Takes::Text},
          {QStringLiteral("--rcon")},
          {QStringLiteral("--remote")}}},
        {"restore", restore, {{QStringLiteral("--check")}}},
        {"reload",
         reload,
         {{QStringLiteral("--check")},
          {QStringLiteral("--timeout"), Takes::Timeout},
          {QStringLiteral("--remote")}}},
    };
    return all;
}

} // namespace

CommandLine readCommandLine(QStringList arguments)
{
    if (arguments.isEmpty())
        return refuse(QStringLiteral("a command is needed; kezcfg --help lists them"));
    const QString command = arguments.takeFirst();
    if (command == u"-h" || command == u"--help")
        return UsageWanted{};
    if (command == u"--version")
        return VersionWanted{};
    QStringList names;
    for (const Command &known : commands()) {
        if (command != QLatin1String(known.name)) {
            names.append(QLatin1String(known.name));
            continue;
        }
        // Asked for anywhere, even where a value would stand.
        if (arguments.contains(u"--help") || arguments.contains(u"-h"))
            return UsageWanted{};
        if (const std::optional<int> refused = refuseUnknownOption(command, arguments, known.options))
            return Refused{*refused};
        std::variant<Given, int> given = take(arguments, known.options);
        if (const int *refused = std::get_if<int>(&given))
            return Refused{*refused};
        return known.build(std::get<Given>(given));
    }
    QString message = QStringLiteral("unknown command \"%1\"").arg(command);
    const QString bare = command.startsWith(u"--") ? command.mid(2) : command;
    if (const std::optional<QString> nearest = nearestOf(bare, names))
        return refuse(message + QStringLiteral("; did you mean %1? kezcfg --help lists them").arg(*nearest));
    return refuse(message + QStringLiteral("; kezcfg --help lists them"));
}
