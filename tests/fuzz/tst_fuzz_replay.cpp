// SPDX-License-Identifier: GPL-2.0-or-later
// Replays the fuzzers' seed corpus and every input they ever found a fault
// with, through every harness, in the ordinary (and the sanitizer) build.
#include "OpenHarness.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main()
{
    int passed = 0;
    for (const char *folder : {KEZ_FUZZ_CORPUS, KEZ_FUZZ_REGRESSIONS}) {
        const QDir dir(QString::fromUtf8(folder));
        for (const QFileInfo &entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(entry.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(entry.filePath()));
                return 1;
            }
            const QByteArray input = file.readAll();
            const auto *bytes = reinterpret_cast<const uint8_t *>(input.constData());
            openAndCheck(bytes, size_t(input.size()));
            checkLineRules(bytes, size_t(input.size()));
            checkArchives(bytes, size_t(input.size()));
            checkStatusAnswer(bytes, size_t(input.size()));
            checkPlainRotation(bytes, size_t(input.size()));
            checkApplyInput(bytes, size_t(input.size()));
            ++passed;
        }
    }
    if (passed == 0) {
        std::fprintf(stderr, "no fuzz inputs found\n");
        return 1;
    }
    std::printf("%d passed, 0 failed\n", passed);
    return 0;
}
