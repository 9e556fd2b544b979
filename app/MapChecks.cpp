// SPDX-License-Identifier: GPL-2.0-or-later
// The maps of the rotation and the starting map against the maps the game
// server can load from the working directory and ../baseq2 beside it.
#include "app/ServerConfiguration.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QMouseEvent>
#include <QStringListModel>

namespace {

// The completer's list opens below the map field, over the "add" button: a
// click there is meant for the button, which adds the name typed, not for
// the list, which would only close or take another name.
class ButtonUnderPopup final : public QObject
{
public:
    ButtonUnderPopup(QAbstractItemView *popup, QPushButton *button) : QObject(popup), m_button(button)
    {
        popup->installEventFilter(this);
        popup->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
            return QObject::eventFilter(watched, event);
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = m_button->mapFromGlobal(mouse->globalPosition().toPoint());
        if (mouse->button() != Qt::LeftButton || !m_button->isEnabled() || !m_button->isVisible() ||
            !m_button->rect().contains(at))
            return QObject::eventFilter(watched, event);
        static_cast<QWidget *>(parent())->hide();
        m_button->click();
        return true;
    }

private:
    QPushButton *m_button;
};

QString absolute(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
}

} // namespace

void ServerConfiguration::readGameFolders()
{
    // A thousand archives take a while to read; looking at them does not.
    QByteArray stamp = GameFolders::stamp(QDir::currentPath());
    if (stamp == m_gameFoldersStamp)
        return;
    m_gameFoldersStamp = std::move(stamp);
    m_gameFolders = GameFolders::read(QDir::currentPath());

    QStringList names;
    m_gameFolders.forEachMap([&names](QStringView name, QStringView) { names.append(name.toString()); });
    completeMapNames(names);

    startingMapField->recheck();
    mapList->refreshNotes();
}

void ServerConfiguration::completeMapNames(const QStringList &names)
{
    // Made only when there are maps to complete, which keeps them out of
    // every start-up in a folder without game data.
    if (!m_mapNames && !names.isEmpty()) {
        m_mapNames = new QStringListModel(this);
        for (TextField *field : {mapField, startingMapField}) {
            auto *completer = new QCompleter(m_mapNames, field);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            // The names come sorted by their lower-case form, so a prefix is
            // found by halving, not by reading a hundred thousand names.
            completer->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
            field->setCompleter(completer);
            if (field == mapField)
                new ButtonUnderPopup(completer->popup(), addButton);
        }
    }
    if (m_mapNames)
        m_mapNames->setStringList(names);
}

void ServerConfiguration::checkMaps()
{
    const auto noteOf = [this](QStringView map) {
        return mapNote(map);
    };
    startingMapField->setCheck(noteOf);
    mapList->setItemNotes(noteOf);
    readGameFolders();
}

std::optional<ValueNote> ServerConfiguration::mapNote(QStringView map) const
{
    if (map.isEmpty())
        return std::nullopt;
    const std::optional<GameFolders::Verdict> verdict = m_gameFolders.verdict(map);
    if (!verdict || verdict->level == GameFolders::Verdict::Level::EveryEngine)
        return std::nullopt;
    QStringList folders;
    for (const QString &folder : m_gameFolders.folders())
        folders.append(absolute(folder));
    const QString text =
        tr("%1%2.\nLooked for in the maps folders and the archives of %3.")
            .arg(verdict->sentence.left(1).toUpper(), verdict->sentence.mid(1), folders.join(tr(" and ")));
    const auto level = verdict->level == GameFolders::Verdict::Level::NoEngine ? ValueNote::Level::Error
                                                                               : ValueNote::Level::Warning;
    return ValueNote{level, text};
}

QString ServerConfiguration::gameFolderSummary() const
{
    const QStringList &folders = m_gameFolders.folders();
    QStringList shown;
    for (const QString &folder : folders)
        shown.append(absolute(folder));
    if (!m_gameFolders.hasGameData())
        return tr("No game data (a maps folder, .pak, .pk3 or .pkz) in %1, so map names are not checked")
            .arg(shown.join(tr(" or ")));
    QStringList counts;
    for (qsizetype i = 0; i < folders.size(); ++i)
        counts.append(tr("%1 in %2").arg(m_gameFolders.mapCounts()[i]).arg(shown[i]));
    QString summary = tr("Maps the game server can load: %1").arg(counts.join(tr(", ")));
    for (const GameFolders::Problem &problem : m_gameFolders.problems())
        summary += u'\n' + (problem.error ? tr("Error: %1 %2") : tr("Warning: %1 %2"))
                               .arg(QDir::toNativeSeparators(problem.file), problem.sentence);
    return summary;
}
