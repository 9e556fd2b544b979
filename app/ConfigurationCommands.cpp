// File / Save and File / Open of ServerConfiguration. The writer and the
// reader in configfiles/ work on a ConfigurationForm; FormControls lends them
// this window's controls.
#include "app/ServerConfiguration.h"

#include "configfiles/ConfigurationForm.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConfigurationWriter.h"

namespace {

class FormControls final : public ConfigurationForm
{
public:
    explicit FormControls(ServerConfiguration &window) : w(window) {}

    QString text(TextControl control) const override { return field(control)->text(); }
    void setText(TextControl control, const QString &text) override { field(control)->setText(text); }

    int number(SpinnerControl spinner) const override { return this->spinner(spinner)->current(); }
    int minimum(SpinnerControl spinner) const override { return this->spinner(spinner)->minimum(); }
    int maximum(SpinnerControl spinner) const override { return this->spinner(spinner)->maximum(); }
    void setNumber(SpinnerControl spinner, int value) override { this->spinner(spinner)->setCurrent(value); }

    bool isChecked(CheckboxControl checkbox) const override { return box(checkbox)->isChecked(); }
    // setChecked does not emit clicked, so the map-list command does not run.
    void setChecked(CheckboxControl checkbox, bool ticked) override { box(checkbox)->setChecked(ticked); }

    QString messageOfTheDay() const override { return w.motdTextArea->text(); }

    QStringList mapItems() const override { return w.mapList->items(); }
    void removeAllMapItems() override { w.mapList->removeAll(); }
    void addMapItems(const QStringList &maps) override { w.mapList->add(maps); }
    void enableAddButton() override { w.addButton->setEnabled(true); }
    void enableRemoveButton() override { w.removeButton->setEnabled(true); }

    QString maskText(FlagFamilyId family) const override { return this->family(family).maskField()->text(); }
    const FlagCatalogue &catalogue(FlagFamilyId family) const override
    {
        return this->family(family).catalogue();
    }
    FlagMove setFlag(FlagFamilyId family, const QString &name) override
    {
        switch (family) {
        case FlagFamilyId::DMFLAGS:
            return w.setADMFlag(name);
        case FlagFamilyId::Weapons:
            return w.setWeaponsFlag(name);
        case FlagFamilyId::KezWeapons:
            return w.setKezWeaponsFlag(name);
        case FlagFamilyId::KezSweepers:
            return w.setKezSweepersFlags(name);
        case FlagFamilyId::KezGrenades:
            return w.setKezGrenadeFlags(name);
        case FlagFamilyId::Features:
            return w.setFeatureFlag(name);
        case FlagFamilyId::KezFeatures:
            return w.setKezFeatureFlag(name);
        case FlagFamilyId::KezArmors:
            return w.setKezArmorFlag(name);
        case FlagFamilyId::FragBan:
            return w.setFragBanFlag(name);
        }
        return FlagMove::Unchanged;
    }

    void setStatusText(const QString &text) override { w.serverStatusBar->setStatusText(text); }

private:
    TextField *field(TextControl control) const
    {
        switch (control) {
        case TextControl::ServerName:
            return w.serverNameField;
        case TextControl::AdminName:
            return w.adminNameField;
        case TextControl::Email:
            return w.emailField;
        case TextControl::Webpage:
            return w.webpageField;
        case TextControl::RconPassword:
            return w.rconPasswdField;
        case TextControl::StartingMap:
            return w.startingMapField;
        }
        Q_UNREACHABLE();
    }

    NumericSpinner *spinner(SpinnerControl spinner) const
    {
        switch (spinner) {
        case SpinnerControl::MaxClients:
            return w.maxClientsSpinner;
        case SpinnerControl::FragLimit:
            return w.fragLimitSpinner;
        case SpinnerControl::TimeLimit:
            return w.timeLimitSpinner;
        case SpinnerControl::RevengeAward:
            return w.revengeAwardSpinner;
        case SpinnerControl::HighFraggerAward:
            return w.highFraggerAwardSpinner;
        case SpinnerControl::DayNightTime:
            return w.dayNightTimeSpinner;
        }
        Q_UNREACHABLE();
    }

    QCheckBox *box(CheckboxControl checkbox) const
    {
        return checkbox == CheckboxControl::PublicGame ? w.publicGameCheckbox : w.mapListCheckbox;
    }

    FlagFamily &family(FlagFamilyId family) const
    {
        FlagFamily *families[] = {&w.dmflags,  &w.weapons,     &w.kezweapons, &w.kezsweepers, &w.kezgrenades,
                                  &w.features, &w.kezfeatures, &w.kezarmors,  &w.fragban};
        return *families[std::size_t(family)];
    }

    ServerConfiguration &w;
};

} // namespace

void ServerConfiguration::Save_ActionPerformed()
{
    FormControls form(*this);
    writeConfigurationSet(form);
}

void ServerConfiguration::Open_ActionPerformed()
{
    FormControls form(*this);
    readConfiguration(form);
}
