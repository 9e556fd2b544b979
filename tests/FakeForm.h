#pragma once

#include "configfiles/ConfigurationForm.h"
#include "flags/DecimalText.h"

#include <QStringList>

// A form without widgets for the writer and the reader: plain values, every
// status text in order, and families that move flags the way the window's
// set-methods do.
class FakeForm : public ConfigurationForm
{
public:
    struct Family
    {
        FlagCatalogue catalogue;
        QStringList available;
        QStringList banned;
        QString mask = QStringLiteral("0");
    };

    FakeForm()
    {
        const FlagTable *tables[] = {
            &FlagTables::dmflags,     &FlagTables::weapons,     &FlagTables::kezweapons,
            &FlagTables::kezsweepers, &FlagTables::kezgrenades, &FlagTables::features,
            &FlagTables::kezfeatures, &FlagTables::kezarmors,   &FlagTables::fragban};
        for (std::size_t i = 0; i < flagFamilyCount; ++i) {
            families[i].catalogue = buildCatalogue(*tables[i]);
            for (const QuakeFlag &flag : std::as_const(families[i].catalogue))
                families[i].available.append(flag.getFlagName());
        }
    }

    Family &family(FlagFamilyId id) { return families[std::size_t(id)]; }

    QString text(TextControl control) const override { return texts[std::size_t(control)]; }
    void setText(TextControl control, const QString &text) override { texts[std::size_t(control)] = text; }
    int number(SpinnerControl spinner) const override { return numbers[std::size_t(spinner)]; }
    int minimum(SpinnerControl) const override { return 0; }
    int maximum(SpinnerControl) const override { return 255; }
    void setNumber(SpinnerControl spinner, int value) override { numbers[std::size_t(spinner)] = value; }
    bool isChecked(CheckboxControl checkbox) const override
    {
        return checkbox == CheckboxControl::PublicGame ? publicGame : mapListTicked;
    }
    void setChecked(CheckboxControl checkbox, bool ticked) override
    {
        (checkbox == CheckboxControl::PublicGame ? publicGame : mapListTicked) = ticked;
    }
    QString messageOfTheDay() const override { return motd; }
    QStringList mapItems() const override { return maps; }
    void removeAllMapItems() override { maps.clear(); }
    void addMapItems(const QStringList &added) override { maps.append(added); }
    void enableAddButton() override { addEnabled = true; }
    void enableRemoveButton() override { removeEnabled = true; }
    QString maskText(FlagFamilyId id) const override { return families[std::size_t(id)].mask; }
    const FlagCatalogue &catalogue(FlagFamilyId id) const override
    {
        return families[std::size_t(id)].catalogue;
    }
    FlagMove setFlag(FlagFamilyId id, const QString &name) override
    {
        Family &f = family(id);
        const auto flag = std::find_if(f.catalogue.cbegin(), f.catalogue.cend(), [&](const QuakeFlag &q) {
            return q.getFlagName().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (flag == f.catalogue.cend() || !f.available.removeOne(name))
            return FlagMove::Unchanged;
        f.banned.append(name);
        const std::optional<qint32> mask = parseDecimalInteger(f.mask);
        if (!mask)
            return FlagMove::MaskUnreadable;
        f.mask = QString::number(addToMask(*mask, flag->getFlagValue()));
        return FlagMove::Moved;
    }
    void setStatusText(const QString &text) override { statusTexts.append(text); }

    std::array<QString, textControlCount> texts;
    std::array<int, spinnerControlCount> numbers{};
    bool publicGame = false;
    bool mapListTicked = false;
    QString motd;
    QStringList maps;
    bool addEnabled = false;
    bool removeEnabled = false;
    std::array<Family, flagFamilyCount> families;
    QStringList statusTexts;
};
