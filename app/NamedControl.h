// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <utility>

// Makes a control and gives it its member's name as its object name, so that
// tools that look into the window (accessibility, test drivers) find it under
// the name the form gives it, and the name is written once.
template <typename Control, typename... Arguments>
Control *namedControl(const char *name, Arguments &&...arguments)
{
    auto *control = new Control(std::forward<Arguments>(arguments)...);
    control->setObjectName(QLatin1String(name));
    return control;
}

// Declares a control member: KEZ_CONTROL(ListBox, mapList) or, with
// constructor arguments, KEZ_CONTROL(DirectionButton, up, Direction::Up).
#define KEZ_CONTROL(Type, name, ...) Type *name = namedControl<Type>(#name __VA_OPT__(, ) __VA_ARGS__)

// Names an object made later, such as a menu, after the member that holds it.
#define KEZ_NAME(member) (member)->setObjectName(QStringLiteral(#member))
