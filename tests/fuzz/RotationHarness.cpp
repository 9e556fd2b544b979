// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "configfiles/ApplyInput.h"
#include "configfiles/PlainRotation.h"
#include "text/OutsideText.h"

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

// The members of every object in value, as the JSON reader keeps them.
qsizetype membersKept(const QJsonValue &value)
{
    qsizetype count = 0;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        count += object.size();
        for (const QJsonValue &member : object)
            count += membersKept(member);
    } else if (value.isArray()) {
        for (const QJsonValue &entry : value.toArray())
            count += membersKept(entry);
    }
    return count;
}

// The members as written: in JSON that reads, each colon outside a text is one.
qsizetype membersWritten(QByteArrayView json)
{
    qsizetype count = 0;
    bool inText = false;
    for (qsizetype i = 0; i < json.size(); ++i) {
        if (inText && json[i] == '\\')
            ++i;
        else if (json[i] == '"')
            inText = !inText;
        else if (!inText && json[i] == ':')
            ++count;
    }
    return count;
}

bool controlFree(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = quint8(bytes[i]);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7f ||
            (byte == 0xc2 && i + 1 < bytes.size() && quint8(bytes[i + 1]) < 0xa0))
            return false;
    }
    return true;
}

} // namespace

void checkApplyInput(const uint8_t *data, size_t size)
{
    const QByteArrayView json(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QString> fault = jsonInputFault(json);
    expect(!fault || controlFree(printable(*fault).toUtf8()), "a fault is not printable");
    expect(printable(QString::fromUtf8(json)) == printable(printable(QString::fromUtf8(json))),
           "printable text is changed again");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return;
    const QByteArray shown = printableJson(document.toJson(QJsonDocument::Indented));
    expect(controlFree(shown), "the printable JSON holds a control byte");
    expect(QJsonDocument::fromJson(shown) == document, "the printable JSON reads as another document");
    if (!document.isObject())
        return;
    const bool surrogate = fault && fault->contains(QStringLiteral("lone surrogate"));
    if (!surrogate) {
        const bool twice = membersKept(document.object()) != membersWritten(json);
        expect(twice == (fault && fault->contains(QStringLiteral("given twice"))),
               "a key given twice is missed or one given once is called twice");
    }
    const QJsonValue motd = document.object().value(u"motd");
    if (motd.isString() && !fault && !messageOfTheDayFault(motd.toString())) {
        const QString text = motd.toString();
        expect(QString::fromUtf8(text.toUtf8()) == text, "a message of the day taken is no text");
        for (const QChar c : text)
            expect(c == u'\t' || c == u'\n' || !isControlCharacter(c.unicode()),
                   "a message of the day taken holds a control character");
    }
}

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
