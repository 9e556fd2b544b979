// SPDX-License-Identifier: GPL-2.0-or-later
// File / Save and File / Open of ServerConfiguration. The writer takes the
// form's values once, as plain data; the reader sets them through
// FormControls, which finds each control in the form's tables.
#include "app/FormTables.h"
#include "app/ServerConfiguration.h"

#include "configfiles/ConfigurationForm.h"
#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConfigurationWriter.h"
#include "configfiles/KeptLines.h"
#include "configfiles/PreviousGeneration.h"
#include "files/FileSetWriter.h"
#include "files/FolderLock.h"
#include "text/Diagnostics.h"
#include "text/OutsideText.h"

namespace {

template <typename Control, typename Value> Control *controlHolding(ServerConfiguration &window, Value value)
{
    for (const MainPageControl &row : mainPageControls()) {
        const Value *held = std::get_if<Value>(&row.value);
        if (held && *held == value)
            return static_cast<Control *>(row.control(window));
    }
    Q_UNREACHABLE();
}

class FormControls final : public ConfigurationForm
{
public:
    explicit FormControls(ServerConfiguration &window) : w(window) {}

    void setText(TextControl control, const QString &text) override
    {
        controlHolding<TextField>(w, control)->setText(text);
    }
    void setNumber(SpinnerControl spinner, int value) override
    {
        controlHolding<NumericSpinner>(w, spinner)->setCurrent(value);
    }
    // setChecked does not emit clicked, so the map-list command does not run.
    void setChecked(CheckboxControl checkbox, bool ticked) override
    {
        controlHolding<QCheckBox>(w, checkbox)->setChecked(ticked);
    }

    void removeAllMapItems() override { w.mapList->removeAll(); }
    void addMapItems(TextLines maps) override { w.mapList->add(std::move(maps)); }
    void enableAddButton() override { w.addButton->setEnabled(true); }
    void enableRemoveButton() override { w.removeButton->setEnabled(true); }

    FlagMove setFlag(std::size_t family, const QString &name) override
    {
        return (w.*flagFamilyRows[family].set)(name);
    }

    void setMessageOfTheDay(const QString &text) override { w.motdTextArea->setPlainText(text); }
    void setStatusText(const QString &text) override { w.serverStatusBar->setStatusText(text); }
    void setKeptLines(const QStringList &lines) override { keptLines = lines; }

    std::optional<QStringList> keptLines; // when server.cfg was read

private:
    ServerConfiguration &w;
};

// server.cfg and motd.txt in one text, each as bytesOf gives it (none: no file).
QByteArray ownText(const std::function<std::optional<QByteArray>(const QString &)> &bytesOf)
{
    QByteArray text;
    for (const QString &name : {QStringLiteral("server.cfg"), QStringLiteral("motd.txt")}) {
        const std::optional<QByteArray> bytes = bytesOf(name);
        text += bytes ? QByteArray::number(bytes->size()) + ':' + *bytes : QByteArray("-");
    }
    return text;
}

ServerSettings settingsOf(ServerConfiguration &window, const QStringList &keptLines)
{
    ServerSettings settings;
    for (TextControl control : allTextControls)
        settings.text(control) = controlHolding<TextField>(window, control)->text();
    for (SpinnerControl spinner : allSpinnerControls)
        settings.number(spinner) = controlHolding<NumericSpinner>(window, spinner)->current();
    for (std::size_t family = 0; family < familyCount; ++family)
        settings.masks[family] = (window.*flagFamilyRows[family].family).maskField()->text();
    settings.publicGame = window.publicGameCheckbox->isChecked();
    settings.mapList = window.mapListCheckbox->isChecked();
    settings.messageOfTheDay = window.motdTextArea->text();
    settings.maps = window.mapList->lines();
    settings.keptLines = keptLines;
    return settings;
}

} // namespace

void ServerConfiguration::Save_ActionPerformed()
{
    const auto setStatusText = [this](const QString &text) {
        serverStatusBar->setStatusText(text);
    };
    setStatusText(QStringLiteral("Generating Files"));
    FolderLock lock;
    if (const std::optional<QString> refusal = lockForSave(lock, setStatusText)) {
        explainStatus(*refusal);
        return;
    }
    // A save that was interrupted while its files changed places is
    // finished first, so that what Save keeps is one whole set.
    const Recovery recovery = FileSetWriter::recover();
    if (recovery.outcome != Recovery::Outcome::Nothing && recovery.outcome != Recovery::Outcome::Busy)
        Diagnostics::warn(recovery.message + u'.');

    // An apply, a hand edit or another window may have replaced this
    // window's last set since: what it left is a set found anew.
    if (m_generationKept) {
        const PreviousGeneration::FoundSet now =
            PreviousGeneration::readSet({QStringLiteral("server.cfg"), QStringLiteral("motd.txt")});
        m_generationKept = ownText([&now](const QString &name) {
                               const PreviousGeneration::FoundFile *file = now.find(name);
                               return file ? file->bytes : std::nullopt;
                           }) == m_lastWritten;
    }
    // The lines the form does not set are the file's: they are taken from
    // server.cfg as it is now, whether or not it was opened, or opened whole.
    using PreviousGeneration::FoundFile;
    // The whole set only while it may still be kept: a million-map
    // rotation is not read again at every Save.
    const PreviousGeneration::FoundSet found = PreviousGeneration::readSet(
        m_generationKept ? QStringList{QStringLiteral("server.cfg")} : PreviousGeneration::setNames());
    const FoundFile *serverCfg = found.find(QStringLiteral("server.cfg"));
    // Without a server.cfg, those of the one last opened or saved stay.
    if (serverCfg && serverCfg->bytes)
        m_keptLines =
            KeptLines::keptLines(ConfigurationLines::splitLines(QString::fromUtf8(*serverCfg->bytes)));
    QList<FileToWrite> files = configurationFiles(settingsOf(*this, m_keptLines));
    // A file that is there but cannot be read could be neither kept nor
    // have its lines kept: it is not written over. (What the writer refuses
    // anyway, it refuses in its own words.)
    const bool refusedAnyway = !found.unreadable.isEmpty() && !FileSetWriter::preflight(files).complete;
    for (const QString &unreadable : refusedAnyway ? QStringList() : found.unreadable) {
        for (const FileToWrite &file : std::as_const(files)) {
            if (!unreadable.startsWith(file.name + u':'))
                continue;
            const QString diagnostic =
                QStringLiteral("could not write %1: it cannot be read (%2), so what it holds could not be "
                               "kept; no file was changed.")
                    .arg(file.name, unreadable.mid(file.name.size() + 2));
            Diagnostics::warn(diagnostic);
            explainStatus(diagnostic);
            return;
        }
    }
    // The set this window found is kept once, at its first Save that
    // changes it: a second Save must not put the window's own first one in
    // the place of the operator's files.
    const bool keeping = !m_generationKept && PreviousGeneration::changes(found, files);
    if (keeping)
        files += PreviousGeneration::entriesKeeping(found);
    const ConfigurationWriteResult result = writeConfigurationFiles(files, setStatusText);
    const QString names = PreviousGeneration::namesPresent().join(QStringLiteral(", "));
    if (result.complete && keeping)
        m_generationKept = true;
    if (result.complete) {
        m_lastWritten = ownText([&files, &found](const QString &name) -> std::optional<QByteArray> {
            for (const FileToWrite &file : files) {
                if (file.name == name)
                    return file.pieces.join();
            }
            const PreviousGeneration::FoundFile *before = found.find(name);
            return before ? before->bytes : std::nullopt;
        });
    }
    // Where there was no file, there is nothing to go back to.
    if (result.complete && keeping && !names.isEmpty()) {
        if (serverCfg && serverCfg->bytes && !m_openedWhole)
            m_generationNote = tr("Save replaced a server.cfg that this window had not opened whole: the "
                                  "files found before it are kept as %1 (kezcfg restore puts them back)")
                                   .arg(names);
        else
            m_generationNote = tr("The files found before the first Save are kept as %1 (kezcfg restore "
                                  "puts them back)")
                                   .arg(names);
        Diagnostics::warn(m_generationNote + u'.');
    }
    explainStatus(result.diagnostic);
}

void ServerConfiguration::Open_ActionPerformed()
{
    // Maps may have come or gone since the window started.
    readGameFolders();
    // Read under the writers' lock, so that Open takes in one whole set and
    // never the half of an apply under way.
    FolderLock lock;
    if (const std::optional<QString> refusal =
            lock.lock(FolderLock::defaultWait, [this](const QString &text) {
                Diagnostics::warn(printable(text) + u'.');
                serverStatusBar->setStatusText(text);
            })) {
        const QString diagnostic = QStringLiteral("could not open: %1.").arg(*refusal);
        Diagnostics::warn(diagnostic);
        explainStatus(diagnostic);
        return;
    }
    // A save that was interrupted while its files changed places is
    // finished first, so that Open reads one whole set.
    const Recovery recovery = FileSetWriter::recover();
    if (recovery.outcome != Recovery::Outcome::Nothing && recovery.outcome != Recovery::Outcome::Busy)
        Diagnostics::warn(recovery.message + u'.');
    FormControls form(*this);
    const ConfigurationReadResult result = readConfiguration(form);
    if (form.keptLines) {
        m_keptLines = *form.keptLines;
        m_serverCfgOpened = true;
    }
    m_openedWhole = result.outcome == ConfigurationReadResult::Outcome::Done;
    if (result.outcome == ConfigurationReadResult::Outcome::Done)
        explainStatus(QString());
    else
        explainStatus(result.diagnostic.isEmpty() ? result.reason : result.diagnostic);
}
