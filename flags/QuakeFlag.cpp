#include "flags/QuakeFlag.h"

QString QuakeFlag::toString() const
{
    return QStringLiteral("Flag Name: ") + flagName + QStringLiteral(" Flag Value: ") +
           QString::number(flagValue);
}
