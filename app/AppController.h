#pragma once
// The one controller of the tray app. It owns the status item (the tray icon) and
// the status menu, rebuilds the menu from the command table and the settings just
// before every opening, and receives every menu action: the items carry only an
// action identifier, and the menu's triggered signal delivers them all here.
//
// Exactly one instance exists per process, made by the application main. It does
// not own the preferences window controller (m_prefController), which the
// application main connects after construction.

#include "app/CommandTable.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QMenu;

namespace quorvell {

class QuorvellPrefPane;

class AppController : public QObject {
    Q_OBJECT

public:
    // Creates the status item with the image "Quorvell.tif" from the resources (none
    // found: no image) and builds the menu once. The icon is not shown until
    // showStatusItem(), so that a second instance can leave without ever appearing.
    explicit AppController(QObject* parent = nullptr);
    ~AppController() override;

    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    void showStatusItem();

    // Not owned; may stay unset, then "Preferences..." only brings the app forward.
    void setPrefController(QuorvellPrefPane* prefController) { m_prefController = prefController; }
    [[nodiscard]] QuorvellPrefPane* prefController() const { return m_prefController; }

    // The status menu (owned here; made at the first build) and the status item.
    [[nodiscard]] QMenu* menu() const { return m_menu.get(); }
    [[nodiscard]] QSystemTrayIcon* statusItem() const { return m_item.get(); }

    // The two product links: the web page, and the product's page in the desktop's
    // software centre (the web page when no software centre is installed).
    void goToWebsite();
    void goToMAS();

    // Appends one command item with its tool tip. Used only by buildMenu.
    void addMenuItem(const QString& title, Command commandHandler, const QString& toolTip);
    // Empties the status menu and refills it from the command table and the settings.
    void buildMenu();

    // Lifecycle hooks of the application; they take no action.
    void awakeFromNib();
    void applicationWillTerminate();
    void applicationWillFinishLaunching();

    // Rebuilds the menu; run at construction and before every opening.
    void setup();
    // Runs just before the menu shows: rebuilds it, then asks validateMenuItem for
    // every item and enables it accordingly.
    void menuNeedsUpdate(QMenu* menu);
    // Every item is enabled at every opening, whatever Mail and its selection do.
    [[nodiscard]] bool validateMenuItem(const QAction* item) const;

    // "Preferences...": brings this process to the front, then shows, raises and
    // activates the preferences window (the same window each time).
    void selItemPreferences();
    // "Quit": asks the application to end, with this controller as the sender.
    void selItemQuit();
    // The action of every command row: forwards to the subsystem that runs it.
    void runCommand(Command command);

    // The addresses of the two product links.
    static const char* const kWebsiteAddress;
    static const char* const kStoreAddress;

signals:
    // Emitted by selItemQuit; the application main connects it to QApplication::quit.
    void terminateRequested();

private:
    void dispatch(int action);
    void statusItemActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> m_item;
    std::unique_ptr<QMenu> m_menu;
    QuorvellPrefPane* m_prefController = nullptr;
};

}  // namespace quorvell
