// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QProxyStyle>

// The desktop's own style, except that the menu bar's extension button has no
// icon. The button shows only when a menu bar is too narrow for its menus,
// which this window's never is, yet the menu bar asks for the icon as it is
// made, and reading it makes Qt look through every image-format plugin at
// start-up. Set as the application's style before the first widget is made.
class FormStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};
