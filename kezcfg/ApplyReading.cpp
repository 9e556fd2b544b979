// SPDX-License-Identifier: GPL-2.0-or-later
// What apply reads before it judges anything: its input, within its bounds
// and as JSON, and the configuration it lays the input over.
#include "ApplySteps.h"
#include "Commands.h"

#include "configfiles/ApplyInput.h"
#include "configfiles/ConfigurationReader.h"
#include "text/InputBounds.h"

#include <QJsonDocument>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int refuseApply(const QString &message)
{
    return failure(QStringLiteral("apply refused: %1; no file was changed").arg(message));
}

std::optional<int> readApplyInput(const QString &input, ApplyInputFile &read)
{
    QFile &in = read.file;
    in.setFileName(input);
    read.name = input == u"-" ? QStringLiteral("standard input") : QStringLiteral("\"%1\"").arg(input);
    if (input == u"-" ? !in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)
                      : !in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failure(QStringLiteral("cannot read \"%1\": %2").arg(input, in.errorString()));
    const QString tooLarge =
        QStringLiteral("the input %1 holds more than %2, the most File / Open takes for a rotation")
            .arg(read.name, InputBounds::sizeText(InputBounds::applyInput));
    if (!in.isSequential()) {
        if (in.size() > InputBounds::applyInput)
            return refuseApply(tooLarge);
        read.bytes = mappedBytes(in);
    } else if (std::optional<QByteArray> bytes = readAtMost(in, InputBounds::applyInput)) {
        read.bytes = std::move(*bytes);
    } else {
        return refuseApply(tooLarge);
    }
    return std::nullopt;
}

std::optional<int> parseApplyInput(const ApplyInputFile &input, QByteArrayView mapListNow,
                                   ParsedApplyInput &parsed)
{
    const QByteArray &json = input.bytes;
    std::optional<PlainRotation> &plain = parsed.plain;
    plain = readPlainRotation(json, mapListNow);
    // The JSON reader holds ten times what it reads and more: past its own
    // bound, only a rotation read plainly can make an input that large.
    const QString tooLargeForJson =
        QStringLiteral(
            "the input %1 holds more than %2 besides a rotation of plain map names (printable ASCII "
            "without escapes), the most that is read as JSON")
            .arg(input.name, InputBounds::sizeText(InputBounds::jsonReaderInput));
    if ((plain ? plain->rest.size() : json.size()) > InputBounds::jsonReaderInput)
        return refuseApply(tooLargeForJson);
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(plain ? plain->rest : json, &error);
    // Where the rest does not read as the same keys (a key given twice), the
    // input is read as JSON whole, which also says what is wrong with it.
    if (plain && (error.error != QJsonParseError::NoError || !document.isObject() ||
                  document.object().size() != plain->keyCount)) {
        if (json.size() > InputBounds::jsonReaderInput)
            return refuseApply(jsonInputFault(plain->rest).value_or(tooLargeForJson));
        plain.reset();
        document = QJsonDocument::fromJson(json, &error);
    }
    if (error.error != QJsonParseError::NoError)
        return refuseApply(QStringLiteral("the input is not JSON (%1 at offset %2)")
                               .arg(error.errorString())
                               .arg(error.offset));
    if (!document.isObject())
        return refuseApply(QStringLiteral("the input must be one JSON object"));
    // The rotation read plainly holds neither keys nor escapes: its rest says all.
    if (const std::optional<QString> fault = jsonInputFault(plain ? QByteArrayView(plain->rest) : json))
        return refuseApply(*fault);
    parsed.object = document.object();
    return std::nullopt;
}

std::optional<int> readCurrentConfiguration(ServerForm &form)
{
    // Whether there is a server.cfg to start from; the reader judges what it
    // opens on its own descriptor.
    if (::faccessat(AT_FDCWD, "server.cfg", F_OK, 0) != 0)
        return std::nullopt;
    const ConfigurationReadResult result = readConfiguration(form);
    using Outcome = ConfigurationReadResult::Outcome;
    if (result.outcome == Outcome::StoppedAtLine)
        return refuseApply(
            QStringLiteral("server.cfg line %1 %2, so File / Open stops there and its settings "
                           "cannot all be read")
                .arg(result.lineNumber)
                .arg(result.reason));
    if (result.outcome != Outcome::Done)
        return refuseApply(result.reason.isEmpty() ? form.statusText : result.reason);
    return std::nullopt;
}
