// SPDX-License-Identifier: GPL-2.0-or-later
// File / Save and File / Open of ServerConfiguration. The writer takes the
// form's values once, as plain data; the reader sets them through
// FormControls, which finds each control in the form's tables.
#include "app/FormTables.h"
#include "app/ServerConfiguration.h"

#include "configfiles/ConfigurationForm.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConfigurationWriter.h"
#include "configfiles/FileSetWriter.h"
#include "configfiles/FolderLock.h"
#include "flags/Diagnostics.h"

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
    const ConfigurationWriteResult result =
        writeConfigurationSet(settingsOf(*this, m_keptLines),
                              [this](const QString &text) { serverStatusBar->setStatusText(text); });
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
                Diagnostics::warn(text + u'.');
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
    if (form.keptLines)
        m_keptLines = *form.keptLines;
    if (result.outcome == ConfigurationReadResult::Outcome::Done)
        explainStatus(QString());
    else
        explainStatus(result.diagnostic.isEmpty() ? result.reason : result.diagnostic);
}
