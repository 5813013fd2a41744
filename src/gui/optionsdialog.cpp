#include "gui/optionsdialog.h"

#include "core/platform/datapaths.h"
#include "core/platform/linkregistration.h"
#include "gui/centredmessagebox.h"
#include "gui/controls.h"
#include "gui/foldericonprovider.h"
#include "gui/palette.h"
#include "gui/secondarywindow.h"
#include "gui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>

namespace {

using Controls::make;

// Each setting's control, in Settings::Key order.
constexpr std::array<const char*, Settings::keyCount> fieldNames{{
    "rflprt1",
    "rflprt2",
    "rfdir",
    "txtrfmserv",
    "txtrfmprt",
    "ircserv",
    "ircprt",
    "irclprt",
    "ircname",
    "ircnick",
    "ircmail",
    "ircroom",
}};

constexpr const char* field(Settings::Key key)
{
    return fieldNames[key];
}

constexpr int fieldHeight = 285;
constexpr int labelHeight = 255;
constexpr int buttonWidth = 855;
constexpr int buttonHeight = 375;

// The labels of the IRC frame have no width of their own; each runs up to
// its field.
constexpr Controls::Control controls[] = {
    {"txtrfmport", nullptr, make<QGroupBox>, "Red Faction Options", 120, 0, 7815, 4695},

    {"framaster", "txtrfmport", make<QGroupBox>, "Red Faction Master Server", 120, 240, 4935, 615},
    {"lbltxtrfmserv", "framaster", make<QLabel>, "IP:", 120, 240, 255, labelHeight},
    {field(Settings::MasterHost), "framaster", make<QLineEdit>, "", 360, 240, 2895, fieldHeight},
    {"lbltxtrfmprt", "framaster", make<QLabel>, "Port:", 3360, 240, 375, labelHeight},
    {field(Settings::MasterPort), "framaster", make<QLineEdit>, "", 3840, 240, 975, fieldHeight},

    {"fradir", "txtrfmport", make<QGroupBox>, "Red Faction Directory", 120, 960, 4935, 1215},
    {field(Settings::GameDirectory), "fradir", make<QTreeView>, "", 120, 240, 4695, 765},

    {"fraports", "txtrfmport", make<QGroupBox>, "Browser Local Ports", 5160, 240, 2535, 1215},
    {"lblrflprt1", "fraports", make<QLabel>, "Port 1:", 120, 360, 495, labelHeight},
    {field(Settings::MasterLocalPort), "fraports", make<QLineEdit>, "", 720, 360, 1335,
     fieldHeight},
    {"lblrflprt2", "fraports", make<QLabel>, "Port 2:", 120, 720, 495, labelHeight},
    {field(Settings::QueryLocalPort), "fraports", make<QLineEdit>, "", 720, 720, 1335, fieldHeight},

    {"frairc", "txtrfmport", make<QGroupBox>, "IRC Options", 120, 2520, 7575, 1575},
    {"lblircserv", "frairc", make<QLabel>, "Server:", 120, 240, 960 - 120, labelHeight},
    {field(Settings::IrcHost), "frairc", make<QLineEdit>, "", 960, 240, 2295, fieldHeight},
    {"lblircprt", "frairc", make<QLabel>, "Port:", 3360, 240, 3840 - 3360, labelHeight},
    {field(Settings::IrcPort), "frairc", make<QLineEdit>, "", 3840, 240, 1095, fieldHeight},
    {"lblirclprt", "frairc", make<QLabel>, "Local Port:", 5040, 240, 5880 - 5040, labelHeight},
    {field(Settings::IrcLocalPort), "frairc", make<QLineEdit>, "", 5880, 240, 1095, fieldHeight},
    {"lblircname", "frairc", make<QLabel>, "Username:", 120, 600, 960 - 120, labelHeight},
    {field(Settings::IrcUserName), "frairc", make<QLineEdit>, "", 960, 600, 2295, fieldHeight},
    {"lblircmail", "frairc", make<QLabel>, "Email:", 3360, 600, 3840 - 3360, labelHeight},
    {field(Settings::IrcEmail), "frairc", make<QLineEdit>, "", 3840, 600, 3135, fieldHeight},
    {"lblircnick", "frairc", make<QLabel>, "Nickname:", 120, 960, 960 - 120, labelHeight},
    {field(Settings::IrcNickname), "frairc", make<QLineEdit>, "", 960, 960, 2295, fieldHeight},
    {"lblircroom", "frairc", make<QLabel>, "Room:", 3360, 960, 3840 - 3360, labelHeight},
    {field(Settings::IrcChannel), "frairc", make<QLineEdit>, "", 3840, 960, 2655, fieldHeight},

    {"linesep", "txtrfmport", Controls::horizontalLine, "", 120, 2400, 7560, twipsPerPixel},
    {"btnrfdefault", "txtrfmport", make<QPushButton>, "Defaults", 6720, 1920, buttonWidth,
     buttonHeight},
    {"btnircdefault", "txtrfmport", make<QPushButton>, "Defaults", 6720, 3600, buttonWidth,
     buttonHeight},
    {"btnsave", "txtrfmport", make<QPushButton>, "&Save", 5880, 4200, buttonWidth, buttonHeight},
    {"btncoptclose", "txtrfmport", make<QPushButton>, "&Close", 6840, 4200, buttonWidth,
     buttonHeight},

    {"framore", nullptr, make<QGroupBox>, "More Options", 8040, 0, 3495, 4695},
    {"lbllauncher", "framore", make<QLabel>, "Game to start:", 120, 240, 3255, labelHeight},
    {"cbolauncher", "framore", make<QComboBox>, "", 120, 480, 3255, 315},
    {"chkparallel", "framore", make<QCheckBox>, "Fast refresh: all servers at once", 120, 870, 3255,
     labelHeight},
    {"chkshowsilent", "framore", make<QCheckBox>, "Show servers that do not answer", 120, 1140,
     3255, labelHeight},
    {"chkhideempty", "framore", make<QCheckBox>, "Hide empty servers", 120, 1410, 3255,
     labelHeight},
    {"chkhidefull", "framore", make<QCheckBox>, "Hide full servers", 120, 1680, 3255, labelHeight},
    {"chkhidepassword", "framore", make<QCheckBox>, "Hide servers with a password", 120, 1950, 3255,
     labelHeight},
    {"chkwatch", "framore", make<QCheckBox>, "Watch servers in the background", 120, 2220, 3255,
     labelHeight},
    // Beside the IRC Options frame, at its height.
    {"fraircmore", "framore", make<QGroupBox>, "IRC Connection", 120, 2520, 3255, 1575},
    {"chkirctls", "fraircmore", make<QCheckBox>, "TLS (port 6697 on most networks)", 120, 360, 3015,
     labelHeight},
    {"chkircreconnect", "fraircmore", make<QCheckBox>, "Reconnect when the link drops", 120, 720,
     3015, labelHeight},
    // Windows only: the key lives in the registry, not in varnholt.conf.
    {"chklinks", "framore", make<QCheckBox>, "Open rf:// links with Varnholt", 120, 4170, 3255,
     labelHeight},
    {"lbllinks", "framore", make<QLabel>, "(takes them from the game's launchers)", 360, 4410, 3015,
     labelHeight},
};

// The yes/no preferences and their check boxes.
struct FlagBox
{
    Preferences::Key key;
    const char* name;
};

constexpr FlagBox flagBoxes[] = {
    {Preferences::ParallelRefresh, "chkparallel"},  {Preferences::ShowSilent, "chkshowsilent"},
    {Preferences::HideEmpty, "chkhideempty"},       {Preferences::HideFull, "chkhidefull"},
    {Preferences::HidePassword, "chkhidepassword"}, {Preferences::IrcTls, "chkirctls"},
    {Preferences::IrcReconnect, "chkircreconnect"}, {Preferences::WatchEnabled, "chkwatch"},
};

// The launcher choices in the order the list shows them.
struct LauncherItem
{
    LauncherChoice launcher;
    const char* text;
};

constexpr LauncherItem launcherItems[] = {
    {LauncherChoice::Automatic, "Automatic"},
    {LauncherChoice::RedFaction, "Red Faction (rf.exe)"},
    {LauncherChoice::DashFaction, "Dash Faction launcher"},
    {LauncherChoice::AlpineFaction, "Alpine Faction launcher"},
};

// The tree shows one file system at a time, the one that holds `path`; on
// Windows every drive, under the model's empty root.
QString fileSystemRoot(const QString& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return QString();
#else
    const QStorageInfo storage(path);
    return storage.isValid() ? storage.rootPath() : QDir::rootPath();
#endif
}

} // namespace

OptionsDialog::OptionsDialog(Settings* settings, Preferences* preferences, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_preferences(preferences)
{
    setObjectName(QStringLiteral("frmoptions"));
    setWindowTitle(QStringLiteral("Options"));
    setClientAreaTwips(this, 11655, 4830);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    SecondaryWindow::closeOnEscape(this);

    const Controls::Built built = Controls::build(this, controls);
    for (int key = 0; key < Settings::keyCount; ++key) {
        if (key == Settings::GameDirectory)
            setUpDirectoryTree(Controls::get<QTreeView>(built, fieldNames[key]));
        else
            setUpField(Controls::get<QLineEdit>(built, fieldNames[key]), Settings::Key(key));
    }
    m_fields[Settings::IrcNickname]->setMaxLength(Settings::nickMaxLength);

    for (const FlagBox& box : flagBoxes) {
        QCheckBox* checkBox = Controls::get<QCheckBox>(built, box.name);
        checkBox->setChecked(m_preferences->flag(box.key));
        connect(checkBox, &QCheckBox::toggled, m_preferences,
                [this, key = box.key](bool on) { m_preferences->setFlag(key, on); });
        m_checkBoxes[box.key] = checkBox;
    }
    m_launcherChoice = Controls::get<QComboBox>(built, "cbolauncher");
    for (const LauncherItem& item : launcherItems)
        m_launcherChoice->addItem(QString::fromLatin1(item.text), int(item.launcher));
    m_launcherChoice->setCurrentIndex(m_launcherChoice->findData(int(m_preferences->launcher())));
    connect(m_launcherChoice, &QComboBox::activated, m_preferences, [this](int index) {
        m_preferences->setLauncher(LauncherChoice(m_launcherChoice->itemData(index).toInt()));
    });
    connect(m_preferences, &Preferences::changed, this, &OptionsDialog::onPreferenceChanged);

    connect(Controls::get<QPushButton>(built, "btnrfdefault"), &QPushButton::clicked, m_settings,
            &Settings::resetBrowserDefaults);
    connect(Controls::get<QPushButton>(built, "btnircdefault"), &QPushButton::clicked, m_settings,
            &Settings::resetIrcDefaults);
    connect(Controls::get<QPushButton>(built, "btnsave"), &QPushButton::clicked, this,
            &OptionsDialog::save);
    connect(Controls::get<QPushButton>(built, "btncoptclose"), &QPushButton::clicked, this,
            &QWidget::hide);

    setUpLinkBox(Controls::get<QCheckBox>(built, "chklinks"),
                 Controls::get<QLabel>(built, "lbllinks"));

    openDirectory(m_settings->value(Settings::GameDirectory));
    connect(m_settings, &Settings::changed, this, &OptionsDialog::onSettingChanged);

    m_showMessage = [this](QMessageBox::Icon icon, const QString& text) {
        CentredMessageBox box(icon, QGuiApplication::applicationDisplayName(), text,
                              QMessageBox::Ok, this);
        box.exec();
    };
}

OptionsDialog::~OptionsDialog()
{
    delete m_directories;
}

void OptionsDialog::setUpDirectoryTree(QTreeView* tree)
{
    m_directories = new QFileSystemModel(this);
    m_directories->setIconProvider(&m_folderIcons);
    m_directories->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_directories->setReadOnly(true);
    // Watching starts when the dialog is shown (showEvent).
    m_directories->setOption(QFileSystemModel::DontWatchForChanges, true);

    m_directoryTree = tree;
    m_directoryTree->setModel(m_directories);
    m_directoryTree->setHeaderHidden(true);
    for (int column = 1; column < m_directories->columnCount(); ++column)
        m_directoryTree->hideColumn(column);
    // Opening is a double-click; a single click or Enter only moves the cursor.
    m_directoryTree->setExpandsOnDoubleClick(false);
    m_directoryTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_directoryTree, &QTreeView::doubleClicked, this, &OptionsDialog::onDirectoryActivated);
}

void OptionsDialog::setUpLinkBox(QCheckBox* box, QLabel* note)
{
    if (!LinkRegistration::isSupported()) {
        box->hide();
        note->hide();
        return;
    }
    LinkRegistration registration(QCoreApplication::applicationFilePath());
    box->setChecked(registration.isRegistered());
    connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
        LinkRegistration registration(QCoreApplication::applicationFilePath());
        QString error;
        if (on ? registration.registerLinks(&error) : registration.unregisterLinks(&error))
            return;
        const QSignalBlocker quiet(box);
        box->setChecked(!on);
        m_showMessage(QMessageBox::Warning, error);
    });
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    m_directories->setOption(QFileSystemModel::DontWatchForChanges, false);
    QWidget::showEvent(event);
}

void OptionsDialog::hideEvent(QHideEvent* event)
{
    // A hidden tree need not follow every change in the folders it shows:
    // with a busy folder among them that costs the program much of its time.
    m_directories->setOption(QFileSystemModel::DontWatchForChanges, true);
    QWidget::hideEvent(event);
}

void OptionsDialog::setUpField(QLineEdit* field, Settings::Key key)
{
    field->setText(m_settings->value(key));
    // textEdited, not textChanged: only the player's typing goes to the
    // settings, so a change arriving from them is not sent back.
    connect(field, &QLineEdit::textEdited, m_settings,
            [this, key](const QString& text) { m_settings->setValue(key, text); });
    m_fields[key] = field;
}

void OptionsDialog::setMessageHandler(MessageHandler handler)
{
    m_showMessage = std::move(handler);
}

QString OptionsDialog::savedMessage()
{
    return QStringLiteral("Settings Saved");
}

QString OptionsDialog::saveFailedMessage(const QString& reason)
{
    return QStringLiteral("The settings could not be saved.\n%1").arg(reason);
}

QString OptionsDialog::fieldName(Settings::Key key)
{
    return QString::fromLatin1(fieldNames[key]);
}

QLineEdit* OptionsDialog::field(Settings::Key key) const
{
    return m_fields[key];
}

void OptionsDialog::openDirectory(const QString& path)
{
    if (!QFileInfo(path).isDir()) {
        m_directoryTree->clearSelection();
        return;
    }
    const QString root = fileSystemRoot(path);
    m_directories->setRootPath(root);
    m_directoryTree->setRootIndex(m_directories->index(root));
    const QModelIndex index = m_directories->index(path);
    m_directoryTree->setCurrentIndex(index);
    m_directoryTree->expand(index);
    m_directoryTree->scrollTo(index);
}

void OptionsDialog::onDirectoryActivated(const QModelIndex& index)
{
    const QString path = m_directories->filePath(index);
    openDirectory(path);
    m_settings->setValue(Settings::GameDirectory, path);
}

void OptionsDialog::onSettingChanged(Settings::Key key, const QString& value)
{
    if (key == Settings::GameDirectory) {
        if (value != m_directories->filePath(m_directoryTree->currentIndex()))
            openDirectory(value);
        return;
    }
    QLineEdit* field = m_fields[key];
    if (field->text() != value)
        field->setText(value);
}

void OptionsDialog::onPreferenceChanged(Preferences::Key key)
{
    if (key == Preferences::GameLauncher) {
        m_launcherChoice->setCurrentIndex(
            m_launcherChoice->findData(int(m_preferences->launcher())));
        return;
    }
    if (QCheckBox* checkBox = m_checkBoxes[key])
        checkBox->setChecked(m_preferences->flag(key));
}

QCheckBox* OptionsDialog::checkBox(Preferences::Key key) const
{
    return m_checkBoxes[key];
}

void OptionsDialog::save()
{
    QString failure = m_settings->save(DataPaths::settingsFile());
    if (failure.isEmpty())
        failure = m_preferences->save(DataPaths::preferencesFile());
    if (failure.isEmpty())
        m_showMessage(QMessageBox::Information, savedMessage());
    else
        m_showMessage(QMessageBox::Warning, saveFailedMessage(failure));
}
