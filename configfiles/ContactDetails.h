// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QStringList>

// The fixed contact texts that the tool writes into its files and shows in
// About. They are neutral examples under reserved names (example.org and
// example.net) that belong to no real person or server; a build for a real
// community changes them here and nowhere else.
namespace ContactDetails {
QString authorEmail();
QString teamEmail();
QString homepage();
QStringList masterServers();
} // namespace ContactDetails
