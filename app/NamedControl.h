// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <functional>
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

// A control of a page that is built when first shown, so that pages the
// operator never opens cost nothing at start-up. It is made by its page's
// builder; reaching for it before that builds the page first, so code that
// uses it reads as if it had always been there.
template <typename Control>
class PageControl
{
public:
    PageControl(const char *name, std::function<void()> buildPage)
        : m_name(name), m_buildPage(std::move(buildPage))
    {
    }
    PageControl(const PageControl &) = delete;
    PageControl &operator=(const PageControl &) = delete;

    Control *get() const
    {
        if (!m_control)
            m_buildPage();
        return m_control;
    }
    Control *operator->() const { return get(); }
    operator Control *() const { return get(); }

    bool isMade() const { return m_control != nullptr; }
    // For the page's builder.
    Control *make()
    {
        if (!m_control)
            m_control = namedControl<Control>(m_name);
        return m_control;
    }

private:
    const char *m_name;
    std::function<void()> m_buildPage;
    Control *m_control = nullptr;
};

// Declares a control of a page built on first showing:
// KEZ_PAGE_CONTROL(ListBox, availableFlagList, 0) for the first flag family.
#define KEZ_PAGE_CONTROL(Type, name, family) PageControl<Type> name{#name, [this] { buildFlagPage(family); }}
