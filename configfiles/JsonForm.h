// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/ServerForm.h"

#include <QJsonObject>
#include <QList>
#include <optional>

// The configuration as one JSON object: what show --json prints and what
// apply takes, with the same keys (FieldTable), so that show's output
// applied again changes nothing.
namespace JsonForm {

// The form as show --json prints it; complete: whether File / Open read the
// whole configuration. "motd" only where a motd.txt was read.
QJsonObject document(const ServerForm &form, bool complete);

// Lays the values of object over form, each checked as the window would
// check it. The first refusal, naming the key and the rule, or nothing when
// every value was taken; givenFamilies: the families of the "families"
// entries, in their order.
std::optional<QString> layOver(ServerForm &form, const QJsonObject &object,
                               QList<std::size_t> &givenFamilies);

} // namespace JsonForm
