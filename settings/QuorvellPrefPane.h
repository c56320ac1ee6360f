#pragma once
// The preferences window's controller: one checkbox for each of the 25 settings of
// SettingsTable.h, and four buttons that check or clear the top group (the seventeen
// copy commands) or the bottom group (the two address-book commands and the four
// options).
//
// The window's layout is resources/Preferences.ui, loaded at construction; its
// widgets are found by object name: "m_tabView", "m_versionInfoField", each
// checkbox under its field name from the settings table ("m_includeContent"), and
// the group buttons "includeAllTopButton", "includeNoneTopButton",
// "includeAllBottomButton", "includeNoneBottomButton". A missing widget is logged
// and left out; the actions then skip its key, so nothing is stored that the window
// cannot show. When the layout file cannot be loaded at all, window() gives a small
// window that says so. Escape and Ctrl+W close the window.
//
// Writes: a click on a checkbox stores its one key and synchronises; a group button
// does the same for each member of its group, in the group's order. Closing any
// top-level window of the application (after awakeFromNib) runs the full save: the
// 21 command keys, a synchronise, the 4 option keys, a synchronise, then "Preferences
// Changed". A window counts as closed when it is hidden by the application (close(),
// a dialog's accept/reject/done, hide()); menus, tool tips and windows that bypass
// the window manager are not windows in this sense, and a window minimised or moved
// off the desktop by the window system is not closed.
//
// The checkboxes are read from the store once, by awakeFromNib; later changes made
// by other processes are overwritten by the next close. Any state but unchecked,
// including the partially checked state, stores true.
//
// Ownership: the controller owns its window and, through it, every control; its end
// stops the watching before the window goes. Main thread only; needs a QApplication.

#include <QObject>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "settings/SettingsTable.h"

class QCheckBox;
class QEvent;
class QLabel;
class QTabWidget;
class QWidget;

namespace quorvell {

class QuorvellPrefPane : public QObject {
    Q_OBJECT

public:
    // The store operations the controller uses. By default the settings readers and
    // writers of Settings.h; tests wrap them to watch their order.
    struct Store {
        std::function<bool(std::string_view key)> readWithoutSynchronize;
        std::function<void(std::string_view key, bool value)> store;
        std::function<void()> synchronize;
        std::function<void()> postChanged;
    };
    [[nodiscard]] static Store settingsStore();

    explicit QuorvellPrefPane(QObject* parent = nullptr);
    ~QuorvellPrefPane() override;

    QuorvellPrefPane(const QuorvellPrefPane&) = delete;
    QuorvellPrefPane& operator=(const QuorvellPrefPane&) = delete;

    // Fills the checkboxes from the store and starts watching for closing windows.
    // Called once, after construction; a second call does nothing.
    void awakeFromNib();

    // The preferences window; never null.
    [[nodiscard]] QWidget* window() const;

    // The full save.
    void windowWillClose();

    // The version text and the 25 checkbox states, read without synchronising.
    void initControls();

    void includeAllTopButtonClicked();
    void includeNoneTopButtonClicked();
    void includeAllBottomButtonClicked();
    void includeNoneBottomButtonClicked();

    // The action of the checkbox in row `row` of kSettingsTable: stores its key from
    // its state and synchronises. Rows out of range are ignored.
    void checkboxButtonClicked(std::size_t row);

    // The checkbox of row `row` of kSettingsTable, or null when the layout lacks it.
    [[nodiscard]] QCheckBox* checkbox(std::size_t row) const;
    [[nodiscard]] QTabWidget* tabView() const { return m_tabView; }
    [[nodiscard]] QLabel* versionInfoField() const { return m_versionInfoField; }
    [[nodiscard]] const QString& appID() const { return m_appID; }

    // Replaces the store operations (before awakeFromNib).
    void setStore(Store store);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadWindow();
    void connectControls();
    void setGroup(SettingGroup group, bool on);
    void storeRow(std::size_t row);

    QString m_appID;
    std::unique_ptr<QWidget> m_window;
    QTabWidget* m_tabView = nullptr;
    QLabel* m_versionInfoField = nullptr;
    // ORDER: kSettingsTable.
    std::array<QCheckBox*, kSettingsTable.size()> m_checkboxes{};

    Store m_store;
    bool m_awake = false;
};

}  // namespace quorvell
