// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationWriter.h"

#include "configfiles/ConfigurationLines.h"
#include "files/FolderLock.h"
#include "text/OutsideText.h"

#include "text/Diagnostics.h"

namespace {

// Tested a block of 32 characters at a time, which the compiler turns into a
// few vector instructions: a save reads a million-map rotation through here.
bool isAscii(QStringView text)
{
    const char16_t *chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + 32 <= size; i += 32) {
        char16_t bits = 0;
        for (int k = 0; k < 32; ++k)
            bits |= chars[i + k];
        if (bits >= 0x80)
            return false;
    }
    for (; i < size; ++i) {
        if (chars[i] >= 0x80)
            return false;
    }
    return true;
}

// Plain ASCII, what configuration files nearly always hold, is its own
// UTF-8, and Qt converts to Latin-1 several times faster than to UTF-8: for
// a million-map rotation that is a good part of a save.
QByteArray encoded(const QString &text)
{
    return isAscii(text) ? text.toLatin1() : text.toUtf8();
}

} // namespace

QByteArray encodedLines(const QStringList &lines)
{
    // One conversion for the whole text: a map rotation can have a million lines.
    if (lines.isEmpty())
        return QByteArray();
    const QString separator = ConfigurationLines::lineSeparator();
    return encoded(lines.join(separator) + separator);
}

QByteArray encodedLines(const TextLines &lines)
{
    if (ConfigurationLines::lineSeparator() == u"\n")
        return encoded(lines.text());
    return encodedLines(lines.toStringList());
}

QList<FileToWrite> configurationFiles(const ServerSettings &settings)
{
    return configurationFiles(settings, true, std::nullopt);
}

QList<FileToWrite> configurationFiles(const ServerSettings &settings, bool withMotd,
                                      const std::optional<QByteArrayList> &mapList)
{
    using namespace ConfigurationLines;
    QList<FileToWrite> files = {{QStringLiteral("server.cfg"), {encodedLines(serverCfgLines(settings))}}};
    if (withMotd)
        files.append({QStringLiteral("motd.txt"),
                      {encodedLines(motdMessageLines(settings.messageOfTheDay) + motdBanner())}});
    // With the box unticked maplist.txt is not touched at all: "set maplist 0"
    // is the only record of the choice, and an older list stays as it was.
    if (settings.mapList)
        files.append(
            {QStringLiteral("maplist.txt"), mapList.value_or(QByteArrayList{encodedLines(settings.maps)})});
    return files;
}

std::optional<QString> lockForSave(FolderLock &lock,
                                   const std::function<void(const QString &)> &setStatusText)
{
    // The same lock as kezcfg apply's: an apply that read the files before
    // this save must not put its own beside the ones written here.
    const std::optional<QString> refusal = lock.lock(FolderLock::defaultWait, [&](const QString &text) {
        Diagnostics::warn(printable(text) + u'.');
        setStatusText(text);
    });
    if (!refusal)
        return std::nullopt;
    const QString diagnostic = QStringLiteral("could not save: %1.").arg(*refusal);
    Diagnostics::warn(diagnostic);
    return diagnostic;
}

ConfigurationWriteResult writeConfigurationSet(const ServerSettings &settings,
                                               const std::function<void(const QString &)> &setStatusText)
{
    setStatusText(QStringLiteral("Generating Files"));
    FolderLock lock;
    if (const std::optional<QString> refusal = lockForSave(lock, setStatusText))
        return {false, *refusal};
    return writeConfigurationFiles(configurationFiles(settings), setStatusText);
}

ConfigurationWriteResult writeConfigurationFiles(const QList<FileToWrite> &files,
                                                 const std::function<void(const QString &)> &setStatusText)
{
    const FileSetOutcome outcome = FileSetWriter::write(files, [&](const QString &name) {
        if (!name.endsWith(u'~'))
            setStatusText(QStringLiteral("Generating ") + name);
    });
    if (!outcome.recovered.isEmpty())
        Diagnostics::warn(outcome.recovered + u'.');
    if (!outcome.complete) {
        // The window shows no message for a failed save; its status line
        // tells how far the save came, and this line on the error stream why.
        const QString diagnostic = outcome.message() + u'.';
        Diagnostics::warn(diagnostic);
        return {false, diagnostic};
    }
    setStatusText(QStringLiteral("Finished generating files"));
    return {true, {}};
}
