// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The shape of the form as data: the controls of the Main page with their
// bounds and captions, and one row for each of the nine flag families with
// its page, captions, handlers and set-method. The window is built, wired
// and named by looping over these; the members themselves are declared in
// ServerConfiguration.h.

#include "app/NamedControl.h"
#include "configfiles/FormFields.h"
#include "flags/FlagMove.h"

#include <QRect>
#include <array>
#include <span>
#include <variant>

class FlagFamily;
class ListBox;
class QLabel;
class QWidget;
class ServerConfiguration;

using ControlOf = QWidget *(*)(ServerConfiguration &);

// What a Main page control holds for the configuration files, if anything.
using FormValue = std::variant<std::monostate, TextControl, SpinnerControl, CheckboxControl>;

struct MainPageControl
{
    ControlOf control;
    QRect bounds;
    const char *caption = nullptr; // text of a label, checkbox or button, in bold
    ControlOf captioned = nullptr; // for a label: the control it names
    FormValue value = {};
    const char *toolTip = nullptr;
};

// In the order in which the controls are stacked.
std::span<const MainPageControl> mainPageControls();

struct FlagFamilyRow
{
    FlagFamily ServerConfiguration::*family;
    QWidget *ServerConfiguration::*panel;
    PageControl<ListBox> ServerConfiguration::*availableList;
    PageControl<QLabel> ServerConfiguration::*availableLabel;
    const char *availableCaption;
    int availableLabelWidth;
    PageControl<ListBox> ServerConfiguration::*bannedList;
    PageControl<QLabel> ServerConfiguration::*bannedLabel;
    const char *bannedCaption;
    int bannedLabelWidth;
    QLabel *ServerConfiguration::*maskLabel;
    void (ServerConfiguration::*setUp)();
    FlagMove (ServerConfiguration::*set)(const QString &name);
    void (ServerConfiguration::*availableClicked)(int clickCount);
    void (ServerConfiguration::*bannedClicked)(int clickCount);
};

// In tab order, the order of FlagTables::families.
extern const std::array<FlagFamilyRow, familyCount> flagFamilyRows;
