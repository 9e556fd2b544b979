// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ServerConfiguration.h"

#include "app/AboutDialog.h"
#include "app/DialogFont.h"
#include "app/FormTables.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QMenuBar>

namespace {

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

// A caption that its fixed width cuts shows its whole text as a tooltip.
void explainIfClipped(QWidget *control, const QString &caption)
{
    if (control->fontMetrics().horizontalAdvance(caption) > control->width())
        control->setToolTip(caption);
}

void putCaption(QWidget *container, QLabel *label, const QString &caption, const QRect &bounds)
{
    label->setText(caption);
    label->setFont(dialogFont(12, true));
    put(container, label, bounds);
    explainIfClipped(label, caption);
}

// A label is the buddy of the control it captions, so that screen readers and
// other tools name the control by the caption the operator sees; item views do
// not take their name from a buddy label, so all get it as their accessible
// name too.
void caption(QLabel *label, QWidget *control)
{
    label->setBuddy(control);
    control->setAccessibleName(label->text());
}

} // namespace

ServerConfiguration::ServerConfiguration() : m_clientArea(new QWidget)
{
    setCentralWidget(m_clientArea);
    m_clientArea->setFixedSize(clientSize);
    setPalette(formPalette());
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

    for (const FlagFamilyRow &row : flagFamilyRows) {
        FlagFamily *family = &(this->*row.family);
        family->setMoveHook([this, family](const QString &flagName, bool banned) {
            if (family == &dmflags)
                switchDMFLAGSpinners(flagName, banned);
            m_movedFlag = MovedFlag{flagName, banned};
        });
    }
    connectCommands();
    setUpKeyboard();
    captionControls();
    applyConsoleRules();
    checkMaps();
    explainStatus(QString());
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
    for (const MainPageControl &row : mainPageControls()) {
        QWidget *control = row.control(*this);
        if (row.caption) {
            if (auto *label = qobject_cast<QLabel *>(control))
                label->setText(tr(row.caption));
            else if (auto *button = qobject_cast<QAbstractButton *>(control))
                button->setText(tr(row.caption));
            control->setFont(dialogFont(12, true));
        }
        put(mainPanel, control, row.bounds);
        if (row.caption)
            explainIfClipped(control, tr(row.caption));
        if (row.toolTip)
            control->setToolTip(tr(row.toolTip));
        if (std::holds_alternative<SpinnerControl>(row.value))
            static_cast<NumericSpinner *>(control)->setMax(spinnerMaximum);
    }
    // The awards and the day-night time wait for their DMFLAGS flags, the map
    // editor's buttons for the map list.
    for (QWidget *waiting : std::initializer_list<QWidget *>{revengeAwardSpinner, highFraggerAwardSpinner,
                                                             dayNightTimeSpinner, addButton, removeButton})
        waiting->setEnabled(false);
    startingMapField->raise();
}

void ServerConfiguration::buildFlagPages()
{
    // The pages stay empty until first shown; the families hold their lists'
    // items from the start.
    for (std::size_t k = 0; k < flagFamilyRows.size(); ++k) {
        const FlagFamilyRow &row = flagFamilyRows[k];
        QWidget *panel = this->*row.panel;
        serverPanel->addPanel(panel, pageBounds);
        panel->setVisible(false);
        (this->*row.family).setPageBuilder([this, k] { buildFlagPage(k); });
    }
    connect(serverPanel, &TabPanel::aboutToShowPanel, this, [this](int index) {
        for (std::size_t k = 0; k < flagFamilyRows.size(); ++k) {
            if (this->*flagFamilyRows[k].panel == serverPanel->panel(index))
                buildFlagPage(k);
        }
    });
}

void ServerConfiguration::buildFlagPage(std::size_t k)
{
    const FlagFamilyRow &row = flagFamilyRows[k];
    if ((this->*row.availableList).isMade())
        return;
    QWidget *panel = this->*row.panel;
    FlagFamily &family = this->*row.family;
    ListBox *available = (this->*row.availableList).make();
    ListBox *banned = (this->*row.bannedList).make();
    QLabel *availableLabel = (this->*row.availableLabel).make();
    QLabel *bannedLabel = (this->*row.bannedLabel).make();
    put(panel, available, QRect(12, 27, 216, 390));
    putCaption(panel, availableLabel, tr(row.availableCaption), QRect(12, 3, row.availableLabelWidth, 18));
    put(panel, banned, QRect(252, 27, 216, 390));
    putCaption(panel, bannedLabel, tr(row.bannedCaption), QRect(252, 3, row.bannedLabelWidth, 18));
    family.attachLists(available, banned);

    caption(availableLabel, available);
    caption(bannedLabel, banned);
    for (const auto &pair :
         {std::pair(available, row.availableClicked), std::pair(banned, row.bannedClicked)}) {
        // Named first: clang cannot capture a structured binding.
        ListBox *list = pair.first;
        const auto handler = pair.second;
        connect(list, &ListBox::mouseClicked, this,
                [this, k, list, handler](int clickCount) { runFlagHandler(k, list, handler, clickCount); });
        connect(list, &ListBox::enterPressed, this,
                [this, k, list, handler] { runFlagHandler(k, list, handler, doubleClick); });
    }
    orderTabChain();
}

void ServerConfiguration::runFlagHandler(std::size_t k, ListBox *list, FlagListHandler handler,
                                         int clickCount)
{
    m_movedFlag.reset();
    (this->*handler)(clickCount);
    const std::optional<MovedFlag> moved = std::exchange(m_movedFlag, std::nullopt);
    if (!moved)
        return;
    // The list keeps the focus after a move, so a screen reader hears a
    // change of its description: which flag went where, and the new mask
    // that the operator who sees the form reads in the mask column.
    const FlagFamilyRow &row = flagFamilyRows[k];
    const FlagFamily &family = this->*row.family;
    const QLabel *destination =
        moved->banned ? (this->*row.bannedLabel).get() : (this->*row.availableLabel).get();
    list->setAccessibleDescription(
        tr("%1 moved to %2. %3 mask: %4")
            .arg(moved->name, destination->text(), family.caption(), family.maskField()->text()));
}

void ServerConfiguration::buildMaskColumn()
{
    for (int k = 0; k < int(flagFamilyRows.size()); ++k) {
        QLabel *label = this->*flagFamilyRows[k].maskLabel;
        const FlagFamily *family = &(this->*flagFamilyRows[k].family);
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
    KEZ_NAME(mainMenuBar);
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
    KEZ_NAME(File);
    KEZ_NAME(New);
    KEZ_NAME(Save);
    KEZ_NAME(Open);
    KEZ_NAME(Close);
    KEZ_NAME(Help);
    KEZ_NAME(About);
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
    // The flag lists are wired as their pages are built.
}

void ServerConfiguration::captionControls()
{
    for (const MainPageControl &row : mainPageControls()) {
        if (row.captioned)
            caption(qobject_cast<QLabel *>(row.control(*this)), row.captioned(*this));
    }
    mapList->setAccessibleName(tr("Map rotation"));
    mapField->setAccessibleName(tr("Map name"));
    for (const FlagFamilyRow &row : flagFamilyRows)
        caption(this->*row.maskLabel, (this->*row.family).maskField());
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
    for (const FlagFamilyRow &row : flagFamilyRows)
        (this->*row.setUp)();
}

void ServerConfiguration::explainStatus(const QString &problem)
{
    // The window shows no dialogs, and standard error is out of sight when
    // the program starts from a menu: the status bar tells where the files
    // are and why the last command failed.
    QString text = tr("Save writes and Open reads server.cfg, motd.txt and maplist.txt in %1")
                       .arg(QDir::toNativeSeparators(QDir::currentPath()));
    text += u'\n' + gameFolderSummary();
    const QString file = m_serverCfgOpened ? tr("the opened server.cfg") : QStringLiteral("server.cfg");
    if (!m_keptLines.isEmpty())
        text += u'\n' + (m_keptLines.size() == 1
                             ? tr("Save keeps 1 line of %1 that the form does not set").arg(file)
                             : tr("Save keeps %1 lines of %2 that the form does not set")
                                   .arg(m_keptLines.size())
                                   .arg(file));
    if (!m_generationNote.isEmpty())
        text += u'\n' + m_generationNote;
    if (!problem.isEmpty())
        text += u'\n' + tr("Last problem: %1").arg(problem);
    serverStatusBar->setToolTip(text);
    serverStatusBar->setAccessibleDescription(text);
}
