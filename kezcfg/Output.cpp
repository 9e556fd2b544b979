// SPDX-License-Identifier: GPL-2.0-or-later
#include "Output.h"

#include "text/OutsideText.h"

#include <cstdio>

namespace {

void write(std::FILE *stream, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return; // an empty view may hold no address, which fwrite must not be given
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream);
}

} // namespace

void printOut(QStringView text)
{
    write(stdout, text.toUtf8());
}

void printOut(QByteArrayView bytes)
{
    write(stdout, bytes);
}

void printErr(QStringView text)
{
    printErr(QByteArrayView(text.toUtf8()));
}

void printErr(QByteArrayView bytes)
{
    std::fflush(stdout);
    write(stderr, bytes);
}

void notice(const QString &message)
{
    // Made printable as a whole: a message quotes file names, keys and values
    // from outside, and one NUL in them must not end it.
    printErr(QByteArrayView("kezcfg: " + printable(message).toUtf8() + '\n'));
}

int failure(const QString &message)
{
    notice(message);
    return 2;
}
