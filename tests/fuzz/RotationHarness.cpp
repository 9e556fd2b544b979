// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "configfiles/PlainRotation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>

namespace {

void expect(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "plain rotation: %s\n", what);
        std::abort();
    }
}

} // namespace

void checkPlainRotation(const uint8_t *data, size_t size)
{
    const QByteArrayView json(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PlainRotation> plain = readPlainRotation(json);
    if (!plain)
        return;
    // apply reads the input as JSON whole unless the rest reads as the same
    // object with the same keys; where it does, the two readings must agree.
    const QJsonDocument rest = QJsonDocument::fromJson(plain->rest);
    if (!rest.isObject() || rest.object().size() != plain->keyCount)
        return;
    const QJsonDocument whole = QJsonDocument::fromJson(json.toByteArray());
    expect(whole.isObject(), "the input is not a JSON object although its rest is");
    QJsonObject others = whole.object();
    const QJsonValue rotation = others.take(u"rotation");
    expect(rotation.isArray(), "the rotation is not a list");
    QByteArray lines;
    for (const QJsonValue &name : rotation.toArray()) {
        expect(name.isString(), "a name is not text");
        lines += name.toString().toUtf8() + '\n';
    }
    expect(plain->mapListPieces({}).join() == lines, "the lines differ from the names");
    // Set against a current maplist.txt: the same lines, the same but for
    // the last byte, and the first half of them.
    for (const QByteArray &current :
         {lines, lines.chopped(std::min<qsizetype>(1, lines.size())) + 'x', lines.first(lines.size() / 2)}) {
        const std::optional<PlainRotation> again = readPlainRotation(json, current);
        expect(again && again->mapListPieces(current).join() == lines,
               "the lines differ beside a current file");
        expect(again->sameAs(current) == (current == lines), "sameness misjudged");
    }
    QJsonObject restOthers = rest.object();
    expect(restOthers.take(u"rotation") == QJsonArray(), "the rest does not give the rotation as []");
    expect(restOthers == others, "the other keys differ");
}
