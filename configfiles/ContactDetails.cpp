// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ContactDetails.h"

QString ContactDetails::authorEmail()
{
    return QStringLiteral("kez@example.org");
}

QString ContactDetails::teamEmail()
{
    return QStringLiteral("kez-team@example.org");
}

QString ContactDetails::homepage()
{
    return QStringLiteral("http://kez.example.org/");
}

QStringList ContactDetails::masterServers()
{
    return {QStringLiteral("master1.example.net"), QStringLiteral("master2.example.net"),
            QStringLiteral("master3.example.net"), QStringLiteral("master4.example.net")};
}
