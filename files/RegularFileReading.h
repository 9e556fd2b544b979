// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// What reading a whole file by name came to. Only regular files are read,
// and only up to a size limit, so that a FIFO, a device or a huge file can
// neither hang the window nor exhaust its memory.
struct RegularFileRead
{
    enum class Outcome {
        Read,
        Missing,   // no file of that name
        NotOpened, // a folder, or a file the user may not read
        NotRead,   // not a regular file, larger than the limit, or a read error
    };
    Outcome outcome;
    QByteArray bytes;
    QString reason; // why it was not read, for a diagnostic
};

RegularFileRead readRegularFile(const QString &fileName, qint64 sizeLimit);
// The same judgement without reading: Read, with no bytes, where
// readRegularFile would most likely read the file.
RegularFileRead checkRegularFile(const QString &fileName, qint64 sizeLimit);

// A regular file opened for reading, for a reader that takes only the parts
// it needs: fd is -1 when it was not opened, and outcome and reason say why.
struct RegularFileOpening
{
    RegularFileRead::Outcome outcome;
    int fd = -1; // the caller closes it
    qint64 size = 0;
    QString reason;
};

RegularFileOpening openRegularFile(const QString &fileName);
// The same for a name that readdir of folder listed as a regular file, which
// needs no look before it is opened: it is opened without following a link
// and looked at once it is open. One that has become a link since goes the
// way of openRegularFile(fileName).
RegularFileOpening openListedRegularFile(int folder, const QByteArray &name, const QString &fileName);
