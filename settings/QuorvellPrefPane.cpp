#include "settings/QuorvellPrefPane.h"

#include "app/CommandTable.h"
#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTabWidget>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QWidget>

namespace quorvell {
namespace {

using platform::desktop::log;

constexpr std::size_t kRowCount = kSettingsTable.size();

// Row indices of kSettingsTable in full-save order (also the load order).
constexpr std::array<std::size_t, kRowCount> fullSaveOrder()
{
    std::array<std::size_t, kRowCount> order{};
    for (std::size_t row = 0; row < kRowCount; ++row)
        order[static_cast<std::size_t>(kSettingsTable[row].fullSavePlace - 1)] = row;
    return order;
}
constexpr auto kFullSaveOrder = fullSaveOrder();

// Row indices of one group, in the group's own order.
template <std::size_t N>
constexpr std::array<std::size_t, N> groupOrder(SettingGroup group)
{
    std::array<std::size_t, N> order{};
    for (std::size_t row = 0; row < kRowCount; ++row) {
        if (kSettingsTable[row].group == group)
            order[static_cast<std::size_t>(kSettingsTable[row].groupOrder - 1)] = row;
    }
    return order;
}
constexpr auto kTopOrder = groupOrder<17>(SettingGroup::Top);
constexpr auto kBottomOrder = groupOrder<6>(SettingGroup::Bottom);

struct GroupButton {
    const char* objectName;
    void (QuorvellPrefPane::*action)();
};
constexpr std::array<GroupButton, 4> kGroupButtons{{
    {"includeAllTopButton", &QuorvellPrefPane::includeAllTopButtonClicked},
    {"includeNoneTopButton", &QuorvellPrefPane::includeNoneTopButtonClicked},
    {"includeAllBottomButton", &QuorvellPrefPane::includeAllBottomButtonClicked},
    {"includeNoneBottomButton", &QuorvellPrefPane::includeNoneBottomButtonClicked},
}};

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString commandToolTip(std::string_view key)
{
    for (const auto& command : kCommandTable) {
        if (command.key == key)
            return toQString(command.toolTip);
    }
    return {};
}

// Menus, tool tips and the tray icon's own window are top-level widgets too, but no
// user closes them as windows.
bool isClosableWindow(const QWidget* widget)
{
    if (!widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
        return false;
    return !widget->windowFlags().testFlag(Qt::BypassWindowManagerHint);
}

std::unique_ptr<QWidget> failureWindow(const QString& reason)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Quorvell Preferences"));
    auto* layout = new QVBoxLayout(window.get());
    auto* label = new QLabel(QStringLiteral("The preferences window could not be loaded.\n%1").arg(reason));
    label->setWordWrap(true);
    layout->addWidget(label);
    return window;
}

}  // namespace

QuorvellPrefPane::Store QuorvellPrefPane::settingsStore()
{
    return {readSettingWithoutSynchronize, storeSetting, synchronizeSettings, postPreferencesChanged};
}

QuorvellPrefPane::QuorvellPrefPane(QObject* parent) : QObject(parent), m_store(settingsStore())
{
    loadWindow();
    connectControls();
}

QuorvellPrefPane::~QuorvellPrefPane()
{
    // The window's own hide on destruction must not reach a half-destroyed controller.
    if (m_awake && qApp)
        qApp->removeEventFilter(this);
}

void QuorvellPrefPane::loadWindow()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        log(QStringLiteral("Preferences window: no QApplication, so no window"));
        return;
    }
    const auto directory = platform::desktop::resourcesDirectory();
    if (!directory) {
        log(QStringLiteral("Preferences window: no resources directory"));
        m_window = failureWindow(QStringLiteral("The application's resources were not found."));
        return;
    }
    const QString path = QDir(*directory).filePath(QStringLiteral("Preferences.ui"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log(QStringLiteral("Preferences window: cannot open %1: %2").arg(path, file.errorString()));
        m_window = failureWindow(QStringLiteral("%1 cannot be read.").arg(path));
        return;
    }
    QUiLoader loader;
    // The layout uses stock widgets only: no designer plugin is loaded into the process.
    loader.clearPluginPaths();
    loader.setWorkingDirectory(QFileInfo(path).absoluteDir());
    std::unique_ptr<QWidget> window(loader.load(&file, nullptr));
    if (!window) {
        log(QStringLiteral("Preferences window: cannot load %1: %2").arg(path, loader.errorString()));
        m_window = failureWindow(QStringLiteral("%1 is not a valid layout.").arg(path));
        return;
    }
    m_window = std::move(window);
}

void QuorvellPrefPane::connectControls()
{
    if (!m_window)
        return;
    const auto missing = [](const QString& name, const char* type) {
        log(QStringLiteral("Preferences window: the layout has no %1 named \"%2\"")
                .arg(QLatin1String(type), name));
    };
    m_tabView = m_window->findChild<QTabWidget*>(QStringLiteral("m_tabView"));
    if (!m_tabView)
        missing(QStringLiteral("m_tabView"), "QTabWidget");
    m_versionInfoField = m_window->findChild<QLabel*>(QStringLiteral("m_versionInfoField"));
    if (!m_versionInfoField)
        missing(QStringLiteral("m_versionInfoField"), "QLabel");

    for (std::size_t row = 0; row < kRowCount; ++row) {
        const QString name = toQString(kSettingsTable[row].checkbox);
        QCheckBox* box = m_window->findChild<QCheckBox*>(name);
        m_checkboxes[row] = box;
        if (!box) {
            missing(name, "QCheckBox");
            continue;
        }
        if (const QString tip = commandToolTip(kSettingsTable[row].key); !tip.isEmpty())
            box->setToolTip(tip);
        // clicked, not stateChanged: the group actions set states and store themselves.
        connect(box, &QCheckBox::clicked, this, [this, row] { checkboxButtonClicked(row); });
    }
    // The window has no buttons of its own to close it: Escape and the desktop's close
    // shortcut (Ctrl+W) do, as in any preferences window.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(keys, m_window.get());
        connect(shortcut, &QShortcut::activated, m_window.get(), &QWidget::close);
    }
    for (const auto& button : kGroupButtons) {
        const QString name = QLatin1String(button.objectName);
        auto* widget = m_window->findChild<QAbstractButton*>(name);
        if (!widget) {
            missing(name, "button");
            continue;
        }
        connect(widget, &QAbstractButton::clicked, this, button.action);
    }
}

void QuorvellPrefPane::setStore(Store store)
{
    m_store = std::move(store);
}

void QuorvellPrefPane::awakeFromNib()
{
    if (m_awake)
        return;
    m_awake = true;
    m_appID = toQString(kSettingsDomain);
    initControls();
    if (qApp)
        qApp->installEventFilter(this);
}

QWidget* QuorvellPrefPane::window() const
{
    return m_window.get();
}

QCheckBox* QuorvellPrefPane::checkbox(std::size_t row) const
{
    return row < kRowCount ? m_checkboxes[row] : nullptr;
}

void QuorvellPrefPane::initControls()
{
    if (m_versionInfoField) {
        m_versionInfoField->setText(
            QStringLiteral("%1 %2").arg(platform::desktop::infoValue(QStringLiteral("CFBundleName")).toString(),
                                        platform::desktop::infoValue(QStringLiteral("CFBundleShortVersionString"))
                                            .toString()));
    }
    for (const std::size_t row : kFullSaveOrder) {
        // The reader applies the table's default, which is also the checkbox's load state.
        const bool on = m_store.readWithoutSynchronize(kSettingsTable[row].key);
        if (QCheckBox* box = m_checkboxes[row])
            box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void QuorvellPrefPane::storeRow(std::size_t row)
{
    // A checkbox the layout lacks has no state to store; the stored value stays.
    if (const QCheckBox* box = m_checkboxes[row])
        m_store.store(kSettingsTable[row].key, box->checkState() != Qt::Unchecked);
}

void QuorvellPrefPane::checkboxButtonClicked(std::size_t row)
{
    if (row >= kRowCount || !m_checkboxes[row])
        return;
    storeRow(row);
    m_store.synchronize();
}

void QuorvellPrefPane::setGroup(SettingGroup group, bool on)
{
    const auto apply = [&](const auto& order) {
        for (const std::size_t row : order) {
            if (QCheckBox* box = m_checkboxes[row])
                box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            checkboxButtonClicked(row);
        }
    };
    if (group == SettingGroup::Top)
        apply(kTopOrder);
    else if (group == SettingGroup::Bottom)
        apply(kBottomOrder);
}

void QuorvellPrefPane::includeAllTopButtonClicked()
{
    setGroup(SettingGroup::Top, true);
}

void QuorvellPrefPane::includeNoneTopButtonClicked()
{
    setGroup(SettingGroup::Top, false);
}

void QuorvellPrefPane::includeAllBottomButtonClicked()
{
    setGroup(SettingGroup::Bottom, true);
}

void QuorvellPrefPane::includeNoneBottomButtonClicked()
{
    setGroup(SettingGroup::Bottom, false);
}

void QuorvellPrefPane::windowWillClose()
{
    for (std::size_t place = 0; place < kRowCount; ++place) {
        storeRow(kFullSaveOrder[place]);
        if (place + 1 == static_cast<std::size_t>(kFullSaveCommandKeys))
            m_store.synchronize();
    }
    m_store.synchronize();
    m_store.postChanged();
}

bool QuorvellPrefPane::eventFilter(QObject* watched, QEvent* event)
{
    // A window closes when the application hides it: close() hides after an accepted
    // close event, and a dialog's done() hides without any close event. A spontaneous
    // hide comes from the window system (minimised, another desktop) and is no close.
    if (event->type() == QEvent::Hide && !event->spontaneous() && watched->isWidgetType()
        && isClosableWindow(static_cast<QWidget*>(watched)))
        windowWillClose();
    return QObject::eventFilter(watched, event);
}

}  // namespace quorvell
