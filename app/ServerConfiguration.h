// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The Kez server configuration tool is one window, ServerConfiguration, that
// owns every control of the form as a named member; the form's state lives in
// those controls and nowhere else, except the flag lists' items, which their
// families hold so that a flag page is built only when first shown.
//
//   text/         TextLines, lines kept as one text (Qt Core only).
//   ui/           the widget layer: ListBox, TextField, NumericSpinner,
//                 DirectionButton, TabPanel, StatusBar, FileChooser.
//   flags/        QuakeFlag, the nine compiled-in flag tables and
//                 FlagSelection, through which every flag moves (Qt Core
//                 only), and FlagFamily, which shows one family's selection
//                 in its two lists and mask field.
//   configfiles/  writing server.cfg, motd.txt and maplist.txt, reading
//                 server.cfg and maplist.txt back, the game console's rules
//                 for values and the maps of the game folders (Qt Core only).
//   app/          this window, the form's shape as data (FormTables), its
//                 commands, the map-rotation editor and AboutDialog.
//
// Every operator action reaches exactly one command method below through a
// signal connection: menu items and buttons by their triggered/clicked
// signals and the map-list checkbox by clicked (so that ticking it from code
// runs nothing), all made in connectCommands(); each flag list, through its
// family's row in flagFamilyRows, by ListBox::mouseClicked and, as the
// keyboard's double click, ListBox::enterPressed, made in buildFlagPage()
// when the page is first shown (through runFlagHandler(), which tells a
// screen reader of the flag that moved). setUpKeyboard() gives the form its
// Tab order and page keys.

#include "app/NamedControl.h"
#include "flags/FlagFamily.h"
#include "gamedata/GameFolders.h"
#include "ui/DirectionButton.h"
#include "ui/FileChooser.h"
#include "ui/ListBox.h"
#include "ui/NumericSpinner.h"
#include "ui/StatusBar.h"
#include "ui/TabPanel.h"
#include "ui/TextArea.h"
#include "ui/TextField.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <optional>

class QAction;
class QCloseEvent;
class QMenu;
class QMenuBar;
class QStringListModel;

class ServerConfiguration : public QMainWindow
{
    Q_OBJECT

public:
    ServerConfiguration();
    explicit ServerConfiguration(const QString &title);
    ~ServerConfiguration() override;

    void setVisible(bool visible) override;

    // Window-wide commands.
    void ServerConfiguration_WindowClosing();
    void ServerConfiguration_WindowClosed();
    void Close_ActionPerformed();
    void New_ActionPerformed();
    void Save_ActionPerformed();
    void Open_ActionPerformed();
    void About_ActionPerformed();
    void About_ActionPerformed_Interaction1();

    // Catalogue builders, set-methods and click handlers: one line each into
    // the family's FlagFamily.
    void setUpFlagLists();
    void setUpDMFLAGList() { dmflags.build(); }
    void setUpWeaponList() { weapons.build(); }
    void setUpKezWeaponList() { kezweapons.build(); }
    void setUpKezSweeperList() { kezsweepers.build(); }
    void setUpKezGrenadeList() { kezgrenades.build(); }
    void setUpFeatureList() { features.build(); }
    void setUpKezFeatureList() { kezfeatures.build(); }
    void setUpKezArmorList() { kezarmors.build(); }
    void setUpFragList() { fragban.build(); }

    // Flag list pairs. A set-method moves a flag, named letter for letter as
    // its available item, into the banned list; the click handlers act on a
    // double click only, on the list's selected item.
    FlagMove setADMFlag(const QString &name) { return dmflags.set(name); }
    FlagMove setWeaponsFlag(const QString &name) { return weapons.set(name); }
    FlagMove setKezWeaponsFlag(const QString &name) { return kezweapons.set(name); }
    FlagMove setKezSweepersFlags(const QString &name) { return kezsweepers.set(name); }
    FlagMove setKezGrenadeFlags(const QString &name) { return kezgrenades.set(name); }
    FlagMove setFeatureFlag(const QString &name) { return features.set(name); }
    FlagMove setKezFeatureFlag(const QString &name) { return kezfeatures.set(name); }
    FlagMove setKezArmorFlag(const QString &name) { return kezarmors.set(name); }
    FlagMove setFragBanFlag(const QString &name) { return fragban.set(name); }

    void availableFlagList_MouseClicked(int clickCount) { dmflags.availableListClicked(clickCount); }
    void setFlagList_MouseClicked(int clickCount) { dmflags.bannedListClicked(clickCount); }
    void availableWeaponList_MouseClicked(int clickCount) { weapons.availableListClicked(clickCount); }
    void bannedWeaponList_MouseClicked(int clickCount) { weapons.bannedListClicked(clickCount); }
    void availableKezWeaponList_MouseClicked(int clickCount) { kezweapons.availableListClicked(clickCount); }
    void bannedKezWeaponList_MouseClicked(int clickCount) { kezweapons.bannedListClicked(clickCount); }
    void availableKezSweeperList_MouseClicked(int clickCount)
    {
        kezsweepers.availableListClicked(clickCount);
    }
    void bannedKezSweeperList_MouseClicked(int clickCount) { kezsweepers.bannedListClicked(clickCount); }
    void availableKezGrenadeList_MouseClicked(int clickCount)
    {
        kezgrenades.availableListClicked(clickCount);
    }
    void bannedKezGrenadeList_MouseClicked(int clickCount) { kezgrenades.bannedListClicked(clickCount); }
    void availableFeatureList_MouseClicked(int clickCount) { features.availableListClicked(clickCount); }
    void bannedFeatureList_MouseClicked(int clickCount) { features.bannedListClicked(clickCount); }
    void availableKezFeatureList_MouseClicked(int clickCount)
    {
        kezfeatures.availableListClicked(clickCount);
    }
    void bannedKezFeatureList_MouseClicked(int clickCount) { kezfeatures.bannedListClicked(clickCount); }
    void availableKezArmorList_MouseClicked(int clickCount) { kezarmors.availableListClicked(clickCount); }
    void bannedKezArmorList_MouseClicked(int clickCount) { kezarmors.bannedListClicked(clickCount); }
    void availableFragList_MouseClicked(int clickCount) { fragban.availableListClicked(clickCount); }
    void bannedFragList_MouseClicked(int clickCount) { fragban.bannedListClicked(clickCount); }

    // Map-rotation editing.
    void mapListCheckbox_ItemStateChanged();
    void addButton_ActionPerformed();
    void addButton_ActionPerformed_Interaction1();
    void removeButton_ActionPerformed();
    void mapDirectionButtonUp_actionPerformed();
    void mapDirectionButtonDown_actionPerformed();

    // The client area: everything below the menu bar.
    QWidget *clientArea() const { return m_clientArea; }

signals:
    // The window has been released; the program ends with exit status 0.
    void released();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMainPage();
    void buildFlagPages();
    // Makes a flag page's lists and captions and wires them; once.
    void buildFlagPage(std::size_t family);
    void buildMaskColumn();
    // Runs a flag list's double-click handler for a double click or Enter,
    // and tells a screen reader of the flag it moved.
    using FlagListHandler = void (ServerConfiguration::*)(int clickCount);
    void runFlagHandler(std::size_t family, ListBox *list, FlagListHandler handler, int clickCount);
    void buildMenus();
    void connectCommands();
    void captionControls();
    // Gives every field whose text reaches server.cfg or maplist.txt the
    // console rule of the value it becomes.
    void applyConsoleRules();
    // The status bar's tooltip: the working folder, its maps and, after a
    // failure, why.
    void explainStatus(const QString &problem);
    // Marks the starting map and the rotation's maps that the game server
    // cannot find, and completes map names from those it can.
    void checkMaps();
    // Reads the game's maps anew, and checks the map names against them.
    void readGameFolders();
    void completeMapNames(const QStringList &names);
    std::optional<ValueNote> mapNote(QStringView map) const;
    QString gameFolderSummary() const;
    void setUpKeyboard();
    // Puts every control made so far into the order in which Tab visits them.
    void orderTabChain();
    void turnPage(int step);
    void switchDMFLAGSpinners(const QString &flagName, bool set);
    void release();

    QWidget *m_clientArea;
    bool m_released = false;
    GameFolders m_gameFolders;
    QByteArray m_gameFoldersStamp;          // of the folders m_gameFolders was read from
    QStringListModel *m_mapNames = nullptr; // what the map fields complete from
    // Lines of server.cfg that no control holds, as Open or the last Save
    // found them; Save writes again those of the file as it is then, and New
    // leaves them, as it leaves the file.
    QStringList m_keptLines;
    bool m_serverCfgOpened = false; // Open read server.cfg
    bool m_openedWhole = false;     // the last Open read every line of it
    // Save keeps the set it found as the previous generation once: what
    // this window found before its first Save that changed it.
    bool m_generationKept = false;
    QString m_generationNote; // which files hold it, for the tooltip
    // server.cfg and motd.txt as this window's last Save wrote them: a set
    // that differs at the next Save was left by another writer since, and is
    // kept as a set found anew.
    QByteArray m_lastWritten;
    // The flag that the last move moved, as the families' move hooks see it.
    struct MovedFlag
    {
        QString name;
        bool banned;
    };
    std::optional<MovedFlag> m_movedFlag;

public:
    // The controls, named as the form names them.
    KEZ_CONTROL(TabPanel, serverPanel);
    KEZ_CONTROL(QWidget, mainPanel);
    KEZ_CONTROL(QWidget, DMFLAGSPanel);
    KEZ_CONTROL(QWidget, weaponBanPanel);
    KEZ_CONTROL(QWidget, kezWeaponBanPanel);
    KEZ_CONTROL(QWidget, kezSweeperBanPanel);
    KEZ_CONTROL(QWidget, kezGrenadeBanPanel);
    KEZ_CONTROL(QWidget, featureBanPanel);
    KEZ_CONTROL(QWidget, kezFeatureBanPanel);
    KEZ_CONTROL(QWidget, kezArmorBanPanel);
    KEZ_CONTROL(QWidget, fragBanPanel);

    KEZ_CONTROL(QLabel, serverNameLabel);
    KEZ_CONTROL(TextField, serverNameField);
    KEZ_CONTROL(QLabel, adminNameLabel);
    KEZ_CONTROL(TextField, adminNameField);
    KEZ_CONTROL(QLabel, emailLabel);
    KEZ_CONTROL(TextField, emailField);
    KEZ_CONTROL(QLabel, webpageLabel);
    KEZ_CONTROL(TextField, webpageField);
    KEZ_CONTROL(NumericSpinner, maxClientsSpinner);
    KEZ_CONTROL(QLabel, maxClientsLabel);
    KEZ_CONTROL(NumericSpinner, timeLimitSpinner);
    KEZ_CONTROL(QLabel, timeLimitLabel);
    KEZ_CONTROL(NumericSpinner, fragLimitSpinner);
    KEZ_CONTROL(QLabel, fragLimitLabel);
    KEZ_CONTROL(QCheckBox, publicGameCheckbox);
    KEZ_CONTROL(TextArea, motdTextArea);
    KEZ_CONTROL(QLabel, motdLabel);
    KEZ_CONTROL(QCheckBox, mapListCheckbox);
    KEZ_CONTROL(ListBox, mapList);
    KEZ_CONTROL(QPushButton, addButton);
    KEZ_CONTROL(QPushButton, removeButton);
    KEZ_CONTROL(QLabel, startingMapLabel);
    KEZ_CONTROL(QLabel, rconPasswdLabel);
    KEZ_CONTROL(TextField, rconPasswdField);
    KEZ_CONTROL(NumericSpinner, revengeAwardSpinner);
    KEZ_CONTROL(QLabel, revengeAwardLabel);
    KEZ_CONTROL(QLabel, highFraggerAwardLabel);
    KEZ_CONTROL(NumericSpinner, highFraggerAwardSpinner);
    KEZ_CONTROL(QLabel, dayNightTimeLabel);
    KEZ_CONTROL(NumericSpinner, dayNightTimeSpinner);
    KEZ_CONTROL(TextField, mapField);
    KEZ_CONTROL(TextField, startingMapField);
    KEZ_CONTROL(DirectionButton, mapDirectionButtonUp, DirectionButton::Direction::Up);
    KEZ_CONTROL(DirectionButton, mapDirectionButtonDown, DirectionButton::Direction::Down);

    // The flag pages' controls, made when their page is first shown.
    KEZ_PAGE_CONTROL(ListBox, availableFlagList, 0);
    KEZ_PAGE_CONTROL(QLabel, availableFlagLabel, 0);
    KEZ_PAGE_CONTROL(ListBox, setFlagList, 0);
    KEZ_PAGE_CONTROL(QLabel, setFlagLabel, 0);
    KEZ_PAGE_CONTROL(ListBox, availableWeaponList, 1);
    KEZ_PAGE_CONTROL(QLabel, availableWeaponLabel, 1);
    KEZ_PAGE_CONTROL(ListBox, bannedWeaponList, 1);
    KEZ_PAGE_CONTROL(QLabel, bannedWeaponLabel, 1);
    KEZ_PAGE_CONTROL(ListBox, availableKezWeaponList, 2);
    KEZ_PAGE_CONTROL(QLabel, availableKezWeaponLabel, 2);
    KEZ_PAGE_CONTROL(ListBox, bannedKezWeaponList, 2);
    KEZ_PAGE_CONTROL(QLabel, bannedKezWeaponLabel, 2);
    KEZ_PAGE_CONTROL(ListBox, availableKezSweeperList, 3);
    KEZ_PAGE_CONTROL(QLabel, availableKezSweeperLabel, 3);
    KEZ_PAGE_CONTROL(ListBox, bannedKezSweeperList, 3);
    KEZ_PAGE_CONTROL(QLabel, bannedKezSweeperLabel, 3);
    KEZ_PAGE_CONTROL(ListBox, availableKezGrenadeList, 4);
    KEZ_PAGE_CONTROL(QLabel, availableKezGrenadeLabel, 4);
    KEZ_PAGE_CONTROL(ListBox, bannedKezGrenadeList, 4);
    KEZ_PAGE_CONTROL(QLabel, bannedKezGrenadeLabel, 4);
    KEZ_PAGE_CONTROL(ListBox, availableFeatureList, 5);
    KEZ_PAGE_CONTROL(QLabel, availableFeatureLabel, 5);
    KEZ_PAGE_CONTROL(ListBox, bannedFeatureList, 5);
    KEZ_PAGE_CONTROL(QLabel, bannedFeatureLabel, 5);
    KEZ_PAGE_CONTROL(ListBox, availableKezFeatureList, 6);
    KEZ_PAGE_CONTROL(QLabel, availableKezFeatureLabel, 6);
    KEZ_PAGE_CONTROL(ListBox, bannedKezFeatureList, 6);
    KEZ_PAGE_CONTROL(QLabel, bannedKezFeatureLabel, 6);
    KEZ_PAGE_CONTROL(ListBox, availableKezArmorList, 7);
    KEZ_PAGE_CONTROL(QLabel, availableKezArmorLabel, 7);
    KEZ_PAGE_CONTROL(ListBox, bannedKezArmorList, 7);
    KEZ_PAGE_CONTROL(QLabel, bannedKezArmorLabel, 7);
    KEZ_PAGE_CONTROL(ListBox, availableFragList, 8);
    KEZ_PAGE_CONTROL(QLabel, availableFragLabel, 8);
    KEZ_PAGE_CONTROL(ListBox, bannedFragList, 8);
    KEZ_PAGE_CONTROL(QLabel, bannedFragLabel, 8);

    KEZ_CONTROL(QLabel, DMFLAGSLabel);
    KEZ_CONTROL(TextField, DMFLAGSField);
    KEZ_CONTROL(QLabel, weaponBanLabel);
    KEZ_CONTROL(TextField, weaponBanField);
    KEZ_CONTROL(QLabel, kezWeaponBanLabel);
    KEZ_CONTROL(TextField, kezWeaponBanField);
    KEZ_CONTROL(QLabel, kezSweeperBanLabel);
    KEZ_CONTROL(TextField, kezSweeperBanField);
    KEZ_CONTROL(QLabel, kezGrenadeBanLabel);
    KEZ_CONTROL(TextField, kezGrenadeBanField);
    KEZ_CONTROL(QLabel, featureBanLabel);
    KEZ_CONTROL(TextField, featureBanField);
    KEZ_CONTROL(QLabel, kezFeatureBanLabel);
    KEZ_CONTROL(TextField, kezFeatureBanField);
    KEZ_CONTROL(QLabel, kezArmorBanLabel);
    KEZ_CONTROL(TextField, kezArmorBanField);
    KEZ_CONTROL(QLabel, fragBanLabel);
    KEZ_CONTROL(TextField, fragBanField);

    KEZ_CONTROL(StatusBar, serverStatusBar);
    KEZ_CONTROL(FileChooser, OpenFileDialog, this, tr("Open"));

    QMenuBar *mainMenuBar = nullptr;
    QMenu *File = nullptr;
    QAction *New = nullptr;
    QAction *Save = nullptr;
    QAction *Open = nullptr;
    QAction *Close = nullptr;
    QMenu *Help = nullptr;
    QAction *About = nullptr;

    // The nine flag families, named after their catalogues.
    FlagFamily dmflags{FlagTables::dmflags, DMFLAGSField};
    FlagFamily weapons{FlagTables::weapons, weaponBanField};
    FlagFamily kezweapons{FlagTables::kezweapons, kezWeaponBanField};
    FlagFamily kezsweepers{FlagTables::kezsweepers, kezSweeperBanField};
    FlagFamily kezgrenades{FlagTables::kezgrenades, kezGrenadeBanField};
    FlagFamily features{FlagTables::features, featureBanField};
    FlagFamily kezfeatures{FlagTables::kezfeatures, kezFeatureBanField};
    FlagFamily kezarmors{FlagTables::kezarmors, kezArmorBanField};
    FlagFamily fragban{FlagTables::fragban, fragBanField};
};
