#include "app/ServerConfiguration.h"

#include "app/AboutDialog.h"
#include "app/DialogFont.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>

namespace {

const QColor lightGrey(192, 192, 192);
constexpr QSize clientSize(612, 563);
constexpr QPoint screenPosition(50, 50);
constexpr QRect pageBounds(12, 33, 480, 490);
// Enter on a flag list stands for a double click, the only count its handler acts on.
constexpr int doubleClick = 2;

void put(QWidget *container, QWidget *child, const QRect &bounds)
{
    child->setParent(container);
    child->setGeometry(bounds);
}

void putCaption(QWidget *container, QLabel *label, const QString &caption, const QRect &bounds)
{
    label->setText(caption);
    label->setFont(dialogFont(12, true));
    put(container, label, bounds);
}

} // namespace

ServerConfiguration::ServerConfiguration() : m_clientArea(new QWidget)
{
    setCentralWidget(m_clientArea);
    m_clientArea->setFixedSize(clientSize);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, lightGrey);
    setPalette(grey);
    setAutoFillBackground(true);
    setVisible(false);

    serverPanel->setPanelLabels({tr("Main"), tr("DMFLAGS"), tr("Weapon Ban"), tr("Kez Weapon Ban"),
                                 tr("Kez Sweeper Ban"), tr("Kez Grenade Ban"), tr("Feature Ban"),
                                 tr("Kez Feature Ban"), tr("Kez Armor Ban"), tr("Frag Ban")});
    put(m_clientArea, serverPanel, QRect(0, 0, 504, 534));

    buildMainPage();
    buildFlagPages();
    serverPanel->setCurrentPanelNdx(0);
    buildMaskColumn();

    serverStatusBar->setBevelStyle(StatusBar::Bevel::Lowered);
    serverStatusBar->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    serverStatusBar->setInsetWidth(2);
    put(m_clientArea, serverStatusBar, QRect(384, 528, 228, 36));

    setWindowTitle(tr("Kez Server Configuration"));
    buildMenus();
    // The client area has a fixed size and the menu bar a fixed height, so
    // fixing the window to its size hint forbids resizing by the operator.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    dmflags.setMoveHook([this](const QString &flagName, bool set) { switchDMFLAGSpinners(flagName, set); });
    connectCommands();
    setUpKeyboard();
    nameControls();
    applyConsoleRules();
    setUpFlagLists();
}

ServerConfiguration::ServerConfiguration(const QString &title) : ServerConfiguration()
{
    setWindowTitle(title);
}

ServerConfiguration::~ServerConfiguration() = default;

void ServerConfiguration::buildMainPage()
{
    serverPanel->addPanel(mainPanel, pageBounds);

    putCaption(mainPanel, serverNameLabel, tr("Server Name:"), QRect(0, 3, 84, 18));
    put(mainPanel, serverNameField, QRect(84, 3, 246, 18));
    putCaption(mainPanel, adminNameLabel, tr("Admin Name:"), QRect(0, 21, 84, 18));
    put(mainPanel, adminNameField, QRect(84, 21, 246, 18));
    putCaption(mainPanel, emailLabel, tr("email:"), QRect(0, 39, 84, 18));
    put(mainPanel, emailField, QRect(84, 39, 246, 18));
    putCaption(mainPanel, webpageLabel, tr("webpage:"), QRect(0, 57, 84, 18));
    put(mainPanel, webpageField, QRect(84, 57, 246, 18));
    maxClientsSpinner->setMax(255);
    put(mainPanel, maxClientsSpinner, QRect(426, 3, 48, 30));
    putCaption(mainPanel, maxClientsLabel, tr("Max Clients:"), QRect(342, 9, 84, 18));
    timeLimitSpinner->setMax(255);
    put(mainPanel, timeLimitSpinner, QRect(426, 33, 48, 30));
    putCaption(mainPanel, timeLimitLabel, tr("Time Limit:"), QRect(342, 39, 84, 18));
    fragLimitSpinner->setMax(255);
    put(mainPanel, fragLimitSpinner, QRect(426, 63, 48, 30));
    putCaption(mainPanel, fragLimitLabel, tr("Frag Limit:"), QRect(342, 69, 84, 18));
    publicGameCheckbox->setText(tr("public game"));
    publicGameCheckbox->setFont(dialogFont(12, true));
    put(mainPanel, publicGameCheckbox, QRect(222, 117, 96, 24));
    put(mainPanel, motdTextArea, QRect(228, 225, 244, 256));
    putCaption(mainPanel, motdLabel, tr("Message Of the Day"), QRect(228, 201, 126, 24));
    mapListCheckbox->setText(tr("Map List"));
    mapListCheckbox->setFont(dialogFont(12, true));
    put(mainPanel, mapListCheckbox, QRect(6, 117, 100, 24));
    put(mainPanel, mapList, QRect(6, 147, 162, 276));
    addButton->setText(tr("add"));
    addButton->setFont(dialogFont(12, true));
    addButton->setEnabled(false);
    put(mainPanel, addButton, QRect(6, 459, 72, 24));
    removeButton->setText(tr("remove"));
    removeButton->setFont(dialogFont(12, true));
    removeButton->setEnabled(false);
    put(mainPanel, removeButton, QRect(96, 459, 72, 24));
    putCaption(mainPanel, startingMapLabel, tr("Starting Map:"), QRect(0, 93, 84, 18));
    putCaption(mainPanel, rconPasswdLabel, tr("Rcon Passwd:"), QRect(0, 75, 84, 18));
    put(mainPanel, rconPasswdField, QRect(84, 75, 246, 18));
    revengeAwardSpinner->setMax(255);
    revengeAwardSpinner->setEnabled(false);
    put(mainPanel, revengeAwardSpinner, QRect(426, 123, 48, 30));
    putCaption(mainPanel, revengeAwardLabel, tr("Revenge Award:"), QRect(330, 129, 96, 18));
    putCaption(mainPanel, highFraggerAwardLabel, tr("High Fragger Award:"), QRect(306, 159, 120, 18));
    highFraggerAwardSpinner->setMax(255);
    highFraggerAwardSpinner->setEnabled(false);
    put(mainPanel, highFraggerAwardSpinner, QRect(426, 153, 48, 30));
    putCaption(mainPanel, dayNightTimeLabel, tr("Day-Night Time:"), QRect(336, 99, 90, 18));
    dayNightTimeSpinner->setMax(255);
    dayNightTimeSpinner->setEnabled(false);
    put(mainPanel, dayNightTimeSpinner, QRect(426, 93, 48, 30));
    put(mainPanel, mapField, QRect(6, 429, 162, 24));
    put(mainPanel, startingMapField, QRect(84, 93, 246, 18));
    put(mainPanel, mapDirectionButtonUp, QRect(174, 369, 20, 20));
    put(mainPanel, mapDirectionButtonDown, QRect(174, 393, 20, 20));
    startingMapField->raise();
}

void ServerConfiguration::buildFlagPages()
{
    struct FlagPage
    {
        QWidget *panel;
        ListBox *available;
        QLabel *availableLabel;
        QString availableCaption;
        int availableLabelWidth;
        ListBox *banned;
        QLabel *bannedLabel;
        QString bannedCaption;
        int bannedLabelWidth;
    };
    const FlagPage pages[] = {
        {DMFLAGSPanel, availableFlagList, availableFlagLabel, tr("Available Flags"), 96, setFlagList,
         setFlagLabel, tr("Set Flags"), 60},
        {weaponBanPanel, availableWeaponList, availableWeaponLabel, tr("Available Weapons"), 126,
         bannedWeaponList, bannedWeaponLabel, tr("Banned Weapons"), 132},
        {kezWeaponBanPanel, availableKezWeaponList, availableKezWeaponLabel, tr("Available Kez Weapons"), 144,
         bannedKezWeaponList, bannedKezWeaponLabel, tr("Banned Kez Weapons"), 132},
        {kezSweeperBanPanel, availableKezSweeperList, availableKezSweeperLabel, tr("Available Kez Sweepers"),
         162, bannedKezSweeperList, bannedKezSweeperLabel, tr("Banned Kez Sweepers"), 138},
        {kezGrenadeBanPanel, availableKezGrenadeList, availableKezGrenadeLabel, tr("Available Kez Grenades"),
         96, bannedKezGrenadeList, bannedKezGrenadeLabel, tr("Banned Kez Grenades"), 60},
        {featureBanPanel, availableFeatureList, availableFeatureLabel, tr("Available Features"), 96,
         bannedFeatureList, bannedFeatureLabel, tr("Banned Features"), 60},
        {kezFeatureBanPanel, availableKezFeatureList, availableKezFeatureLabel, tr("Available Kez Features"),
         96, bannedKezFeatureList, bannedKezFeatureLabel, tr("Banned Kez Features"), 60},
        {kezArmorBanPanel, availableKezArmorList, availableKezArmorLabel, tr("Available Kez Armor"), 96,
         bannedKezArmorList, bannedKezArmorLabel, tr("Banned Kez Armor"), 60},
        {fragBanPanel, availableFragList, availableFragLabel, tr("Available Frags"), 96, bannedFragList,
         bannedFragLabel, tr("Banned Frags"), 60},
    };
    for (const FlagPage &page : pages) {
        serverPanel->addPanel(page.panel, pageBounds);
        page.panel->setVisible(false);
        put(page.panel, page.available, QRect(12, 27, 216, 390));
        putCaption(page.panel, page.availableLabel, page.availableCaption,
                   QRect(12, 3, page.availableLabelWidth, 18));
        put(page.panel, page.banned, QRect(252, 27, 216, 390));
        putCaption(page.panel, page.bannedLabel, page.bannedCaption,
                   QRect(252, 3, page.bannedLabelWidth, 18));
    }
}

void ServerConfiguration::buildMaskColumn()
{
    const std::pair<QLabel *, FlagFamily *> column[] = {
        {DMFLAGSLabel, &dmflags},           {weaponBanLabel, &weapons},
        {kezWeaponBanLabel, &kezweapons},   {kezSweeperBanLabel, &kezsweepers},
        {kezGrenadeBanLabel, &kezgrenades}, {featureBanLabel, &features},
        {kezFeatureBanLabel, &kezfeatures}, {kezArmorBanLabel, &kezarmors},
        {fragBanLabel, &fragban},
    };
    for (int k = 0; k < 9; ++k) {
        auto [label, family] = column[k];
        putCaption(m_clientArea, label, family->caption(), QRect(504, 6 + 36 * k, 102, 18));
        TextField *field = family->maskField();
        field->setEditable(false);
        field->setText(QStringLiteral("0"));
        put(m_clientArea, field, QRect(504, 24 + 36 * k, 102, 18));
        QPalette black = field->palette();
        black.setColor(QPalette::Text, Qt::black);
        field->setPalette(black);
        field->setFont(dialogFont(12, true));
    }
}

void ServerConfiguration::buildMenus()
{
    mainMenuBar = new QMenuBar(this);
    // The menu bar belongs inside the window: the form's layout counts on it.
    mainMenuBar->setNativeMenuBar(false);
    // The mnemonics (Alt+F, Alt+H) are the keyboard's way into the menus; About
    // has no shortcut of its own.
    File = mainMenuBar->addMenu(tr("&File"));
    New = File->addAction(tr("New"));
    New->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Save = File->addAction(tr("Save"));
    Save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Open = File->addAction(tr("Open"));
    Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Close = File->addAction(tr("Close"));
    // Text fields and the text area claim Ctrl+C for copying while they have
    // the focus, so the operator cannot quit by accident while copying text.
    Close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Help = mainMenuBar->addMenu(tr("&Help"));
    About = Help->addAction(tr("About"));
    setMenuBar(mainMenuBar);
}

void ServerConfiguration::connectCommands()
{
    connect(Close, &QAction::triggered, this, &ServerConfiguration::Close_ActionPerformed);
    connect(New, &QAction::triggered, this, &ServerConfiguration::New_ActionPerformed);
    connect(Save, &QAction::triggered, this, &ServerConfiguration::Save_ActionPerformed);
    connect(Open, &QAction::triggered, this, &ServerConfiguration::Open_ActionPerformed);
    connect(addButton, &QPushButton::clicked, this, &ServerConfiguration::addButton_ActionPerformed);
    connect(removeButton, &QPushButton::clicked, this, &ServerConfiguration::removeButton_ActionPerformed);
    connect(mapDirectionButtonUp, &QToolButton::clicked, this,
            &ServerConfiguration::mapDirectionButtonUp_actionPerformed);
    connect(mapDirectionButtonDown, &QToolButton::clicked, this,
            &ServerConfiguration::mapDirectionButtonDown_actionPerformed);
    connect(About, &QAction::triggered, this, &ServerConfiguration::About_ActionPerformed);
    // clicked, unlike toggled, is not emitted when a command ticks the box.
    connect(mapListCheckbox, &QCheckBox::clicked, this,
            &ServerConfiguration::mapListCheckbox_ItemStateChanged);

    using Handler = void (ServerConfiguration::*)(int);
    const std::pair<ListBox *, Handler> flagLists[] = {
        {availableFlagList, &ServerConfiguration::availableFlagList_MouseClicked},
        {setFlagList, &ServerConfiguration::setFlagList_MouseClicked},
        {availableWeaponList, &ServerConfiguration::availableWeaponList_MouseClicked},
        {bannedWeaponList, &ServerConfiguration::bannedWeaponList_MouseClicked},
        {availableKezWeaponList, &ServerConfiguration::availableKezWeaponList_MouseClicked},
        {bannedKezWeaponList, &ServerConfiguration::bannedKezWeaponList_MouseClicked},
        {availableKezSweeperList, &ServerConfiguration::availableKezSweeperList_MouseClicked},
        {bannedKezSweeperList, &ServerConfiguration::bannedKezSweeperList_MouseClicked},
        {availableKezGrenadeList, &ServerConfiguration::availableKezGrenadeList_MouseClicked},
        {bannedKezGrenadeList, &ServerConfiguration::bannedKezGrenadeList_MouseClicked},
        {availableFeatureList, &ServerConfiguration::availableFeatureList_MouseClicked},
        {bannedFeatureList, &ServerConfiguration::bannedFeatureList_MouseClicked},
        {availableKezFeatureList, &ServerConfiguration::availableKezFeatureList_MouseClicked},
        {bannedKezFeatureList, &ServerConfiguration::bannedKezFeatureList_MouseClicked},
        {availableKezArmorList, &ServerConfiguration::availableKezArmorList_MouseClicked},
        {bannedKezArmorList, &ServerConfiguration::bannedKezArmorList_MouseClicked},
        {availableFragList, &ServerConfiguration::availableFragList_MouseClicked},
        {bannedFragList, &ServerConfiguration::bannedFragList_MouseClicked},
    };
    for (const auto &flagList : flagLists) {
        const Handler handler = flagList.second;
        connect(flagList.first, &ListBox::mouseClicked, this, handler);
        connect(flagList.first, &ListBox::enterPressed, this,
                [this, handler] { (this->*handler)(doubleClick); });
    }
}

void ServerConfiguration::nameControls()
{
    // Tools that look into the window (accessibility, test drivers) find each
    // control under the name the form gives it.
    const std::pair<QObject *, const char *> controls[] = {
        {serverPanel, "serverPanel"},
        {mainPanel, "mainPanel"},
        {DMFLAGSPanel, "DMFLAGSPanel"},
        {weaponBanPanel, "weaponBanPanel"},
        {kezWeaponBanPanel, "kezWeaponBanPanel"},
        {kezSweeperBanPanel, "kezSweeperBanPanel"},
        {kezGrenadeBanPanel, "kezGrenadeBanPanel"},
        {featureBanPanel, "featureBanPanel"},
        {kezFeatureBanPanel, "kezFeatureBanPanel"},
        {kezArmorBanPanel, "kezArmorBanPanel"},
        {fragBanPanel, "fragBanPanel"},
        {serverNameLabel, "serverNameLabel"},
        {serverNameField, "serverNameField"},
        {adminNameLabel, "adminNameLabel"},
        {adminNameField, "adminNameField"},
        {emailLabel, "emailLabel"},
        {emailField, "emailField"},
        {webpageLabel, "webpageLabel"},
        {webpageField, "webpageField"},
        {maxClientsSpinner, "maxClientsSpinner"},
        {maxClientsLabel, "maxClientsLabel"},
        {timeLimitSpinner, "timeLimitSpinner"},
        {timeLimitLabel, "timeLimitLabel"},
        {fragLimitSpinner, "fragLimitSpinner"},
        {fragLimitLabel, "fragLimitLabel"},
        {publicGameCheckbox, "publicGameCheckbox"},
        {motdTextArea, "motdTextArea"},
        {motdLabel, "motdLabel"},
        {mapListCheckbox, "mapListCheckbox"},
        {mapList, "mapList"},
        {addButton, "addButton"},
        {removeButton, "removeButton"},
        {startingMapLabel, "startingMapLabel"},
        {rconPasswdLabel, "rconPasswdLabel"},
        {rconPasswdField, "rconPasswdField"},
        {revengeAwardSpinner, "revengeAwardSpinner"},
        {revengeAwardLabel, "revengeAwardLabel"},
        {highFraggerAwardLabel, "highFraggerAwardLabel"},
        {highFraggerAwardSpinner, "highFraggerAwardSpinner"},
        {dayNightTimeLabel, "dayNightTimeLabel"},
        {dayNightTimeSpinner, "dayNightTimeSpinner"},
        {mapField, "mapField"},
        {startingMapField, "startingMapField"},
        {mapDirectionButtonUp, "mapDirectionButtonUp"},
        {mapDirectionButtonDown, "mapDirectionButtonDown"},
        {availableFlagList, "availableFlagList"},
        {availableFlagLabel, "availableFlagLabel"},
        {setFlagList, "setFlagList"},
        {setFlagLabel, "setFlagLabel"},
        {availableWeaponList, "availableWeaponList"},
        {availableWeaponLabel, "availableWeaponLabel"},
        {bannedWeaponList, "bannedWeaponList"},
        {bannedWeaponLabel, "bannedWeaponLabel"},
        {availableKezWeaponList, "availableKezWeaponList"},
        {availableKezWeaponLabel, "availableKezWeaponLabel"},
        {bannedKezWeaponList, "bannedKezWeaponList"},
        {bannedKezWeaponLabel, "bannedKezWeaponLabel"},
        {availableKezSweeperList, "availableKezSweeperList"},
        {availableKezSweeperLabel, "availableKezSweeperLabel"},
        {bannedKezSweeperList, "bannedKezSweeperList"},
        {bannedKezSweeperLabel, "bannedKezSweeperLabel"},
        {availableKezGrenadeList, "availableKezGrenadeList"},
        {availableKezGrenadeLabel, "availableKezGrenadeLabel"},
        {bannedKezGrenadeList, "bannedKezGrenadeList"},
        {bannedKezGrenadeLabel, "bannedKezGrenadeLabel"},
        {availableFeatureList, "availableFeatureList"},
        {availableFeatureLabel, "availableFeatureLabel"},
        {bannedFeatureList, "bannedFeatureList"},
        {bannedFeatureLabel, "bannedFeatureLabel"},
        {availableKezFeatureList, "availableKezFeatureList"},
        {availableKezFeatureLabel, "availableKezFeatureLabel"},
        {bannedKezFeatureList, "bannedKezFeatureList"},
        {bannedKezFeatureLabel, "bannedKezFeatureLabel"},
        {availableKezArmorList, "availableKezArmorList"},
        {availableKezArmorLabel, "availableKezArmorLabel"},
        {bannedKezArmorList, "bannedKezArmorList"},
        {bannedKezArmorLabel, "bannedKezArmorLabel"},
        {availableFragList, "availableFragList"},
        {availableFragLabel, "availableFragLabel"},
        {bannedFragList, "bannedFragList"},
        {bannedFragLabel, "bannedFragLabel"},
        {DMFLAGSLabel, "DMFLAGSLabel"},
        {DMFLAGSField, "DMFLAGSField"},
        {weaponBanLabel, "weaponBanLabel"},
        {weaponBanField, "weaponBanField"},
        {kezWeaponBanLabel, "kezWeaponBanLabel"},
        {kezWeaponBanField, "kezWeaponBanField"},
        {kezSweeperBanLabel, "kezSweeperBanLabel"},
        {kezSweeperBanField, "kezSweeperBanField"},
        {kezGrenadeBanLabel, "kezGrenadeBanLabel"},
        {kezGrenadeBanField, "kezGrenadeBanField"},
        {featureBanLabel, "featureBanLabel"},
        {featureBanField, "featureBanField"},
        {kezFeatureBanLabel, "kezFeatureBanLabel"},
        {kezFeatureBanField, "kezFeatureBanField"},
        {kezArmorBanLabel, "kezArmorBanLabel"},
        {kezArmorBanField, "kezArmorBanField"},
        {fragBanLabel, "fragBanLabel"},
        {fragBanField, "fragBanField"},
        {serverStatusBar, "serverStatusBar"},
        {OpenFileDialog, "OpenFileDialog"},
        {mainMenuBar, "mainMenuBar"},
        {File, "File"},
        {New, "New"},
        {Save, "Save"},
        {Open, "Open"},
        {Close, "Close"},
        {Help, "Help"},
        {About, "About"},
    };
    for (const auto &control : controls)
        control.first->setObjectName(QLatin1String(control.second));

    // A label is the buddy of the control it captions, so that screen readers
    // and other tools name the control by the caption the operator sees.
    const std::pair<QLabel *, QWidget *> captions[] = {
        {serverNameLabel, serverNameField},
        {adminNameLabel, adminNameField},
        {emailLabel, emailField},
        {webpageLabel, webpageField},
        {rconPasswdLabel, rconPasswdField},
        {startingMapLabel, startingMapField},
        {maxClientsLabel, maxClientsSpinner},
        {timeLimitLabel, timeLimitSpinner},
        {fragLimitLabel, fragLimitSpinner},
        {revengeAwardLabel, revengeAwardSpinner},
        {highFraggerAwardLabel, highFraggerAwardSpinner},
        {dayNightTimeLabel, dayNightTimeSpinner},
        {motdLabel, motdTextArea},
        {availableFlagLabel, availableFlagList},
        {setFlagLabel, setFlagList},
        {availableWeaponLabel, availableWeaponList},
        {bannedWeaponLabel, bannedWeaponList},
        {availableKezWeaponLabel, availableKezWeaponList},
        {bannedKezWeaponLabel, bannedKezWeaponList},
        {availableKezSweeperLabel, availableKezSweeperList},
        {bannedKezSweeperLabel, bannedKezSweeperList},
        {availableKezGrenadeLabel, availableKezGrenadeList},
        {bannedKezGrenadeLabel, bannedKezGrenadeList},
        {availableFeatureLabel, availableFeatureList},
        {bannedFeatureLabel, bannedFeatureList},
        {availableKezFeatureLabel, availableKezFeatureList},
        {bannedKezFeatureLabel, bannedKezFeatureList},
        {availableKezArmorLabel, availableKezArmorList},
        {bannedKezArmorLabel, bannedKezArmorList},
        {availableFragLabel, availableFragList},
        {bannedFragLabel, bannedFragList},
        {DMFLAGSLabel, DMFLAGSField},
        {weaponBanLabel, weaponBanField},
        {kezWeaponBanLabel, kezWeaponBanField},
        {kezSweeperBanLabel, kezSweeperBanField},
        {kezGrenadeBanLabel, kezGrenadeBanField},
        {featureBanLabel, featureBanField},
        {kezFeatureBanLabel, kezFeatureBanField},
        {kezArmorBanLabel, kezArmorBanField},
        {fragBanLabel, fragBanField},
    };
    for (const auto &caption : captions) {
        caption.first->setBuddy(caption.second);
        // Item views do not take their name from a buddy label.
        caption.second->setAccessibleName(caption.first->text());
    }
}

void ServerConfiguration::setVisible(bool visible)
{
    // Before the first showing Qt takes the position as the frame's, but only
    // while nothing resizes the window between the creation of its native
    // window and its mapping; the fixed-size layout would, so the window takes
    // its final size first. Later showings move the frame by its known size.
    if (visible && !testAttribute(Qt::WA_WState_Created))
        layout()->activate();
    move(screenPosition);
    QMainWindow::setVisible(visible);
}

void ServerConfiguration::closeEvent(QCloseEvent *event)
{
    ServerConfiguration_WindowClosing();
    event->accept();
    // Nothing ever shows a hidden main window again, so the window is released
    // right away, which is what ends the process.
    ServerConfiguration_WindowClosed();
}

void ServerConfiguration::ServerConfiguration_WindowClosing()
{
    setVisible(false);
}

void ServerConfiguration::ServerConfiguration_WindowClosed()
{
    release();
}

void ServerConfiguration::Close_ActionPerformed()
{
    release();
}

void ServerConfiguration::release()
{
    if (m_released)
        return;
    m_released = true;
    QMainWindow::setVisible(false);
    emit released();
}

void ServerConfiguration::New_ActionPerformed()
{
    setUpFlagLists();
    for (TextField *field :
         {serverNameField, adminNameField, emailField, webpageField, startingMapField, rconPasswdField})
        field->setText(QString());
    for (NumericSpinner *spinner : {maxClientsSpinner, timeLimitSpinner, fragLimitSpinner,
                                    dayNightTimeSpinner, revengeAwardSpinner, highFraggerAwardSpinner}) {
        if (!spinner->setCurrent(0))
            break;
    }
    publicGameCheckbox->setChecked(false);
    mapListCheckbox->setChecked(false);
    mapList->removeAll();
}

void ServerConfiguration::About_ActionPerformed()
{
    About_ActionPerformed_Interaction1();
}

void ServerConfiguration::About_ActionPerformed_Interaction1()
{
    AboutDialog dialog(this, true);
    dialog.setBackgroundColour(Qt::black);
    dialog.exec();
}

void ServerConfiguration::setUpFlagLists()
{
    setUpDMFLAGList();
    setUpWeaponList();
    setUpKezWeaponList();
    setUpKezSweeperList();
    setUpKezGrenadeList();
    setUpFeatureList();
    setUpKezFeatureList();
    setUpKezArmorList();
    setUpFragList();
}

void ServerConfiguration::setUpDMFLAGList()
{
    dmflags.build();
}
void ServerConfiguration::setUpWeaponList()
{
    weapons.build();
}
void ServerConfiguration::setUpKezWeaponList()
{
    kezweapons.build();
}
void ServerConfiguration::setUpKezSweeperList()
{
    kezsweepers.build();
}
void ServerConfiguration::setUpKezGrenadeList()
{
    kezgrenades.build();
}
void ServerConfiguration::setUpFeatureList()
{
    features.build();
}
void ServerConfiguration::setUpKezFeatureList()
{
    kezfeatures.build();
}
void ServerConfiguration::setUpKezArmorList()
{
    kezarmors.build();
}
void ServerConfiguration::setUpFragList()
{
    fragban.build();
}
