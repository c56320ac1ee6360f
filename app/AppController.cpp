#include "app/AppController.h"

#include "app/NamedIconEngine.h"

#include "platform/desktop/Bundle.h"
#include "platform/desktop/widgets/FrontProcess.h"
#include "platform/desktop/widgets/Workspace.h"

#include "addressbook/AddressBookImport.h"
#include "export/SaveCommands.h"
#include "scripting/CopyCommands.h"
#include "settings/QuorvellPrefPane.h"
#include "settings/Settings.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

namespace quorvell {
namespace {

// What an item's data holds: a Command (0 and up) or one of these. Items carry no
// receiver of their own; dispatch() reads this and calls the matching method.
enum ItemAction : int {
    kGoToWebsite = -1,
    kGoToMAS = -2,
    kItemPreferences = -3,
    kItemQuit = -4,
};

// The fixed items around the commands. Titles as the platform shows them: no
// mnemonics, no shortcuts.
struct FixedItem {
    const char* title;
    ItemAction action;
};
constexpr FixedItem kWebsiteItem{"View in Brightfold Website...", kGoToWebsite};
constexpr FixedItem kStoreItem{"View in Software Center...", kGoToMAS};
constexpr FixedItem kPreferencesItem{"Preferences...", kItemPreferences};
constexpr FixedItem kQuitItem{"Quit", kItemQuit};

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QAction* appendItem(QMenu& menu, const QString& title, int action)
{
    // QMenu::addAction parents the action to the menu, so clear() deletes it.
    QAction* item = menu.addAction(title);
    item->setData(action);
    item->setShortcut(QKeySequence());
    item->setIconVisibleInMenu(false);
    return item;
}

QIcon statusImage()
{
    const auto resources = platform::desktop::resourcesDirectory();
    if (!resources)
        return {};
    const QString path = QDir(*resources).filePath(QStringLiteral("Quorvell.tif"));
    if (!QFileInfo(path).isFile())
        return {};
    // Decoded here, once: a file Qt cannot read (no TIFF plugin, a damaged file)
    // gives no image rather than an icon that draws nothing.
    const QPixmap image(path);
    if (image.isNull())
        return {};
    // The name is the one the desktop entry and the installed hicolor icons carry.
    return QIcon(new NamedIconEngine(QStringLiteral("quorvell"), QIcon(image)));
}

}  // namespace

const char* const AppController::kWebsiteAddress = "https://www.brightfold.com/quorvell/";
const char* const AppController::kStoreAddress = "appstream://com.brightfold.Quorvell";

AppController::AppController(QObject* parent)
    : QObject(parent)
    , m_item(std::make_unique<QSystemTrayIcon>())
{
    // No image found: the item goes on without one.
    m_item->setIcon(statusImage());
    m_item->setToolTip(QStringLiteral("Quorvell"));
    connect(m_item.get(), &QSystemTrayIcon::activated, this, &AppController::statusItemActivated);
    setup();
}

AppController::~AppController()
{
    // The item goes before the menu it refers to; m_prefController is not ours.
    m_item.reset();
    m_menu.reset();
}

void AppController::showStatusItem()
{
    m_item->show();
}

void AppController::goToWebsite()
{
    // A failed open changes nothing and is not reported.
    (void)platform::desktop::openURL(QUrl(QString::fromLatin1(kWebsiteAddress)));
}

void AppController::goToMAS()
{
    // The software centre (GNOME Software, Discover) registers the appstream scheme
    // and shows the package's page from its metadata. Where none is installed the
    // opener would still start and fail later, so the web page stands in.
    if (platform::desktop::hasSchemeHandler(QStringLiteral("appstream"))
        && platform::desktop::openURL(QUrl(QString::fromLatin1(kStoreAddress))))
        return;
    goToWebsite();
}

void AppController::addMenuItem(const QString& title, Command commandHandler, const QString& toolTip)
{
    QAction* item = appendItem(*m_menu, title, static_cast<int>(commandHandler));
    item->setToolTip(toolTip);
}

void AppController::buildMenu()
{
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        m_menu->setToolTipsVisible(true);
        m_menu->setSeparatorsCollapsible(false);
        connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { menuNeedsUpdate(m_menu.get()); });
        // The action runs from the event loop, after the menu has closed: a command may
        // open a modal window, and a menu opened meanwhile must be free to rebuild
        // (and so delete) the item whose signal is still on the stack.
        connect(m_menu.get(), &QMenu::triggered, this, [this](QAction* item) {
            bool ok = false;
            const int action = item->data().toInt(&ok);
            if (ok)
                QMetaObject::invokeMethod(this, [this, action] { dispatch(action); }, Qt::QueuedConnection);
        });
        m_item->setContextMenu(m_menu.get());
    }

    m_menu->clear();
    appendItem(*m_menu, QString::fromLatin1(kWebsiteItem.title), kWebsiteItem.action);
    appendItem(*m_menu, QString::fromLatin1(kStoreItem.title), kStoreItem.action);
    m_menu->addSeparator();
    // Each row's key is read afresh, in table order; a hidden row leaves no trace.
    for (const CommandRow& row : menuCommands()) {
        if (readIncludeSetting(row.key))
            addMenuItem(toQString(row.title), row.command, toQString(row.toolTip));
    }
    m_menu->addSeparator();
    appendItem(*m_menu, QString::fromLatin1(kPreferencesItem.title), kPreferencesItem.action);
    m_menu->addSeparator();
    appendItem(*m_menu, QString::fromLatin1(kQuitItem.title), kQuitItem.action);
}

void AppController::awakeFromNib() {}

void AppController::applicationWillTerminate() {}

void AppController::applicationWillFinishLaunching() {}

void AppController::setup()
{
    buildMenu();
}

void AppController::menuNeedsUpdate(QMenu* /*menu*/)
{
    setup();
    const auto items = m_menu->actions();
    for (QAction* item : items) {
        if (!item->isSeparator())
            item->setEnabled(validateMenuItem(item));
    }
}

bool AppController::validateMenuItem(const QAction* /*item*/) const
{
    return true;
}

void AppController::selItemPreferences()
{
    platform::desktop::setFrontProcess();
    if (!m_prefController)
        return;
    if (QWidget* window = m_prefController->window()) {
        // show() and raise() leave a minimised window minimised.
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void AppController::selItemQuit()
{
    emit terminateRequested();
}

void AppController::runCommand(Command command)
{
    // The subsystems run their commands to the end and report nothing back.
    switch (command) {
    case Command::AddRecipientToAddressBook:
    case Command::AddToAddressBook:
        runAddressBookCommand(command);
        return;
    case Command::SaveToPDF:
    case Command::SaveToRTF:
        runSaveCommand(command);
        return;
    default:
        runCopyCommand(command);
        return;
    }
}

void AppController::dispatch(int action)
{
    switch (action) {
    case kGoToWebsite:
        goToWebsite();
        return;
    case kGoToMAS:
        goToMAS();
        return;
    case kItemPreferences:
        selItemPreferences();
        return;
    case kItemQuit:
        selItemQuit();
        return;
    default:
        if (action >= 0 && static_cast<std::size_t>(action) < kCommandTable.size())
            runCommand(static_cast<Command>(action));
        return;
    }
}

void AppController::statusItemActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A right click opens the context menu by itself; a left click only reports
    // Trigger, so the menu is opened here, under the icon when its place is known.
    // A left press that follows the previous one within the double-click interval,
    // at the same place, reaches us as DoubleClick instead of Trigger (Qt withholds
    // that press and sends only the double click): open, close with Escape and click
    // again quickly, and that click must still open the menu.
    const bool leftClick = reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick;
    if (!leftClick || m_menu->isVisible())
        return;
    const QRect where = m_item->geometry();
    m_menu->popup(where.isValid() ? where.bottomLeft() : QCursor::pos());
}

}  // namespace quorvell
