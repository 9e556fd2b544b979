#pragma once

// The Kez server configuration tool is one window, ServerConfiguration, that
// owns every control of the form as a named member; the form's state lives in
// those controls and nowhere else.
//
//   ui/           the widget layer: ListBox, TextField, NumericSpinner,
//                 DirectionButton, TabPanel, StatusBar, FileChooser.
//   flags/        QuakeFlag, the nine compiled-in flag tables, and FlagFamily,
//                 which keeps one family's two lists and mask field in step.
//   configfiles/  writing server.cfg, motd.txt and maplist.txt, and reading
//                 server.cfg and maplist.txt back.
//   app/          this window, its commands, the map-rotation editor and
//                 AboutDialog.
//
// Every operator action reaches exactly one command method below through a
// signal connection made in connectCommands(): menu items and buttons by their
// triggered/clicked signals, the map-list checkbox by clicked (so that ticking
// it from code runs nothing), and each flag list by ListBox::mouseClicked and,
// as the keyboard's double click, ListBox::enterPressed. setUpKeyboard() gives
// the form its Tab order and page keys.

#include "flags/FlagFamily.h"
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

class QAction;
class QCloseEvent;
class QMenu;
class QMenuBar;

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

    // Catalogue builders.
    void setUpFlagLists();
    void setUpDMFLAGList();
    void setUpWeaponList();
    void setUpKezWeaponList();
    void setUpKezSweeperList();
    void setUpKezGrenadeList();
    void setUpFeatureList();
    void setUpKezFeatureList();
    void setUpKezArmorList();
    void setUpFragList();

    // Flag list pairs. A set-method moves a flag, named letter for letter as
    // its available item, into the banned list; the click handlers act on a
    // double click only, on the list's selected item.
    FlagMove setADMFlag(const QString &name);
    FlagMove setWeaponsFlag(const QString &name);
    FlagMove setKezWeaponsFlag(const QString &name);
    FlagMove setKezSweepersFlags(const QString &name);
    FlagMove setKezGrenadeFlags(const QString &name);
    FlagMove setFeatureFlag(const QString &name);
    FlagMove setKezFeatureFlag(const QString &name);
    FlagMove setKezArmorFlag(const QString &name);
    FlagMove setFragBanFlag(const QString &name);

    void availableFlagList_MouseClicked(int clickCount);
    void setFlagList_MouseClicked(int clickCount);
    void availableWeaponList_MouseClicked(int clickCount);
    void bannedWeaponList_MouseClicked(int clickCount);
    void availableKezWeaponList_MouseClicked(int clickCount);
    void bannedKezWeaponList_MouseClicked(int clickCount);
    void availableKezSweeperList_MouseClicked(int clickCount);
    void bannedKezSweeperList_MouseClicked(int clickCount);
    void availableKezGrenadeList_MouseClicked(int clickCount);
    void bannedKezGrenadeList_MouseClicked(int clickCount);
    void availableFeatureList_MouseClicked(int clickCount);
    void bannedFeatureList_MouseClicked(int clickCount);
    void availableKezFeatureList_MouseClicked(int clickCount);
    void bannedKezFeatureList_MouseClicked(int clickCount);
    void availableKezArmorList_MouseClicked(int clickCount);
    void bannedKezArmorList_MouseClicked(int clickCount);
    void availableFragList_MouseClicked(int clickCount);
    void bannedFragList_MouseClicked(int clickCount);

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
    void buildMaskColumn();
    void buildMenus();
    void connectCommands();
    void nameControls();
    // Gives every field whose text reaches server.cfg or maplist.txt the
    // console rule of the value it becomes.
    void applyConsoleRules();
    void setUpKeyboard();
    void turnPage(int step);
    void switchDMFLAGSpinners(const QString &flagName, bool set);
    void release();

    QWidget *m_clientArea;
    bool m_released = false;

public:
    // The controls, named as the form names them.
    TabPanel *serverPanel = new TabPanel;
    QWidget *mainPanel = new QWidget;
    QWidget *DMFLAGSPanel = new QWidget;
    QWidget *weaponBanPanel = new QWidget;
    QWidget *kezWeaponBanPanel = new QWidget;
    QWidget *kezSweeperBanPanel = new QWidget;
    QWidget *kezGrenadeBanPanel = new QWidget;
    QWidget *featureBanPanel = new QWidget;
    QWidget *kezFeatureBanPanel = new QWidget;
    QWidget *kezArmorBanPanel = new QWidget;
    QWidget *fragBanPanel = new QWidget;

    QLabel *serverNameLabel = new QLabel;
    TextField *serverNameField = new TextField;
    QLabel *adminNameLabel = new QLabel;
    TextField *adminNameField = new TextField;
    QLabel *emailLabel = new QLabel;
    TextField *emailField = new TextField;
    QLabel *webpageLabel = new QLabel;
    TextField *webpageField = new TextField;
    NumericSpinner *maxClientsSpinner = new NumericSpinner;
    QLabel *maxClientsLabel = new QLabel;
    NumericSpinner *timeLimitSpinner = new NumericSpinner;
    QLabel *timeLimitLabel = new QLabel;
    NumericSpinner *fragLimitSpinner = new NumericSpinner;
    QLabel *fragLimitLabel = new QLabel;
    QCheckBox *publicGameCheckbox = new QCheckBox;
    TextArea *motdTextArea = new TextArea;
    QLabel *motdLabel = new QLabel;
    QCheckBox *mapListCheckbox = new QCheckBox;
    ListBox *mapList = new ListBox;
    QPushButton *addButton = new QPushButton;
    QPushButton *removeButton = new QPushButton;
    QLabel *startingMapLabel = new QLabel;
    QLabel *rconPasswdLabel = new QLabel;
    TextField *rconPasswdField = new TextField;
    NumericSpinner *revengeAwardSpinner = new NumericSpinner;
    QLabel *revengeAwardLabel = new QLabel;
    QLabel *highFraggerAwardLabel = new QLabel;
    NumericSpinner *highFraggerAwardSpinner = new NumericSpinner;
    QLabel *dayNightTimeLabel = new QLabel;
    NumericSpinner *dayNightTimeSpinner = new NumericSpinner;
    TextField *mapField = new TextField;
    TextField *startingMapField = new TextField;
    DirectionButton *mapDirectionButtonUp = new DirectionButton(DirectionButton::Direction::Up);
    DirectionButton *mapDirectionButtonDown = new DirectionButton(DirectionButton::Direction::Down);

    ListBox *availableFlagList = new ListBox;
    QLabel *availableFlagLabel = new QLabel;
    ListBox *setFlagList = new ListBox;
    QLabel *setFlagLabel = new QLabel;
    ListBox *availableWeaponList = new ListBox;
    QLabel *availableWeaponLabel = new QLabel;
    ListBox *bannedWeaponList = new ListBox;
    QLabel *bannedWeaponLabel = new QLabel;
    ListBox *availableKezWeaponList = new ListBox;
    QLabel *availableKezWeaponLabel = new QLabel;
    ListBox *bannedKezWeaponList = new ListBox;
    QLabel *bannedKezWeaponLabel = new QLabel;
    ListBox *availableKezSweeperList = new ListBox;
    QLabel *availableKezSweeperLabel = new QLabel;
    ListBox *bannedKezSweeperList = new ListBox;
    QLabel *bannedKezSweeperLabel = new QLabel;
    ListBox *availableKezGrenadeList = new ListBox;
    QLabel *availableKezGrenadeLabel = new QLabel;
    ListBox *bannedKezGrenadeList = new ListBox;
    QLabel *bannedKezGrenadeLabel = new QLabel;
    ListBox *availableFeatureList = new ListBox;
    QLabel *availableFeatureLabel = new QLabel;
    ListBox *bannedFeatureList = new ListBox;
    QLabel *bannedFeatureLabel = new QLabel;
    ListBox *availableKezFeatureList = new ListBox;
    QLabel *availableKezFeatureLabel = new QLabel;
    ListBox *bannedKezFeatureList = new ListBox;
    QLabel *bannedKezFeatureLabel = new QLabel;
    ListBox *availableKezArmorList = new ListBox;
    QLabel *availableKezArmorLabel = new QLabel;
    ListBox *bannedKezArmorList = new ListBox;
    QLabel *bannedKezArmorLabel = new QLabel;
    ListBox *availableFragList = new ListBox;
    QLabel *availableFragLabel = new QLabel;
    ListBox *bannedFragList = new ListBox;
    QLabel *bannedFragLabel = new QLabel;

    QLabel *DMFLAGSLabel = new QLabel;
    TextField *DMFLAGSField = new TextField;
    QLabel *weaponBanLabel = new QLabel;
    TextField *weaponBanField = new TextField;
    QLabel *kezWeaponBanLabel = new QLabel;
    TextField *kezWeaponBanField = new TextField;
    QLabel *kezSweeperBanLabel = new QLabel;
    TextField *kezSweeperBanField = new TextField;
    QLabel *kezGrenadeBanLabel = new QLabel;
    TextField *kezGrenadeBanField = new TextField;
    QLabel *featureBanLabel = new QLabel;
    TextField *featureBanField = new TextField;
    QLabel *kezFeatureBanLabel = new QLabel;
    TextField *kezFeatureBanField = new TextField;
    QLabel *kezArmorBanLabel = new QLabel;
    TextField *kezArmorBanField = new TextField;
    QLabel *fragBanLabel = new QLabel;
    TextField *fragBanField = new TextField;

    StatusBar *serverStatusBar = new StatusBar;
    FileChooser *OpenFileDialog = new FileChooser(this, tr("Open"));

    QMenuBar *mainMenuBar = nullptr;
    QMenu *File = nullptr;
    QAction *New = nullptr;
    QAction *Save = nullptr;
    QAction *Open = nullptr;
    QAction *Close = nullptr;
    QMenu *Help = nullptr;
    QAction *About = nullptr;

    // The nine flag families, named after their catalogues.
    FlagFamily dmflags{FlagTables::dmflags, availableFlagList, setFlagList, DMFLAGSField};
    FlagFamily weapons{FlagTables::weapons, availableWeaponList, bannedWeaponList, weaponBanField};
    FlagFamily kezweapons{FlagTables::kezweapons, availableKezWeaponList, bannedKezWeaponList,
                          kezWeaponBanField};
    FlagFamily kezsweepers{FlagTables::kezsweepers, availableKezSweeperList, bannedKezSweeperList,
                           kezSweeperBanField};
    FlagFamily kezgrenades{FlagTables::kezgrenades, availableKezGrenadeList, bannedKezGrenadeList,
                           kezGrenadeBanField};
    FlagFamily features{FlagTables::features, availableFeatureList, bannedFeatureList, featureBanField};
    FlagFamily kezfeatures{FlagTables::kezfeatures, availableKezFeatureList, bannedKezFeatureList,
                           kezFeatureBanField};
    FlagFamily kezarmors{FlagTables::kezarmors, availableKezArmorList, bannedKezArmorList, kezArmorBanField};
    FlagFamily fragban{FlagTables::fragban, availableFragList, bannedFragList, fragBanField};
};
