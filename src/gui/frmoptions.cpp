#include "gui/frmoptions.h"

#include "gui/controls.h"
#include "gui/palette.h"
#include "gui/twips.h"
#include "core/platform/datapaths.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

namespace {

constexpr int fieldHeight = 285;
constexpr int labelHeight = 255;
constexpr int buttonWidth = 855;
constexpr int buttonHeight = 375;

void addLabel(QWidget* frame, Settings::Key key, const char* text, int left, int top, int width)
{
    Controls::label(frame, QStringLiteral("lbl") + Settings::fieldName(key),
                    QString::fromLatin1(text), left, top, width, labelHeight);
}

QPushButton* addButton(QWidget* frame, const char* name, const char* caption, int left, int top)
{
    return Controls::button(frame, QString::fromLatin1(name), QString::fromLatin1(caption), left,
                            top, buttonWidth, buttonHeight);
}

// The tree shows one file system at a time, the one that holds `path`.
QString fileSystemRoot(const QString& path)
{
    const QStorageInfo storage(path);
    return storage.isValid() ? storage.rootPath() : QDir::rootPath();
}

} // namespace

frmoptions::frmoptions(Settings* settings, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings)
{
    setObjectName(QStringLiteral("frmoptions"));
    setWindowTitle(QStringLiteral("Options"));
    setClientAreaTwips(this, 8025, 4830);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);

    QGroupBox* outer = Controls::frame(this, QStringLiteral("txtrfmport"),
                                       QStringLiteral("Red Faction Options"), 120, 0, 7815, 4695);
    buildMasterServerFrame(outer);
    buildDirectoryFrame(outer);
    buildLocalPortsFrame(outer);
    buildIrcFrame(outer);
    buildButtons(outer);

    for (int key = 0; key < Settings::keyCount; ++key) {
        if (m_fields[key])
            m_fields[key]->setText(m_settings->value(Settings::Key(key)));
    }
    openDirectory(m_settings->value(Settings::GameDirectory));
    connect(m_settings, &Settings::changed, this, &frmoptions::onSettingChanged);

    m_showMessage = [this](QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                        this);
        box.exec();
    };
}

void frmoptions::buildMasterServerFrame(QGroupBox* outer)
{
    QGroupBox* frame =
        Controls::frame(outer, QStringLiteral("framaster"),
                        QStringLiteral("Red Faction Master Server"), 120, 240, 4935, 615);
    addLabel(frame, Settings::MasterHost, "IP:", 120, 240, 255);
    addField(frame, Settings::MasterHost, 360, 240, 2895);
    addLabel(frame, Settings::MasterPort, "Port:", 3360, 240, 375);
    addField(frame, Settings::MasterPort, 3840, 240, 975);
}

void frmoptions::buildDirectoryFrame(QGroupBox* outer)
{
    QGroupBox* frame =
        Controls::frame(outer, QStringLiteral("fradir"), QStringLiteral("Red Faction Directory"),
                        120, 960, 4935, 1215);

    m_directories = new QFileSystemModel(this);
    m_directories->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_directories->setReadOnly(true);

    m_rfdir = new QTreeView(frame);
    m_rfdir->setObjectName(Settings::fieldName(Settings::GameDirectory));
    m_rfdir->setModel(m_directories);
    m_rfdir->setHeaderHidden(true);
    for (int column = 1; column < m_directories->columnCount(); ++column)
        m_rfdir->hideColumn(column);
    // Opening is a double-click; a single click or Enter only moves the cursor.
    m_rfdir->setExpandsOnDoubleClick(false);
    m_rfdir->setEditTriggers(QAbstractItemView::NoEditTriggers);
    placeAt(m_rfdir, 120, 240, 4695, 765);
    connect(m_rfdir, &QTreeView::doubleClicked, this, &frmoptions::onDirectoryActivated);
}

void frmoptions::buildLocalPortsFrame(QGroupBox* outer)
{
    QGroupBox* frame =
        Controls::frame(outer, QStringLiteral("fraports"), QStringLiteral("Browser Local Ports"),
                        5160, 240, 2535, 1215);
    addLabel(frame, Settings::MasterLocalPort, "Port 1:", 120, 360, 495);
    addField(frame, Settings::MasterLocalPort, 720, 360, 1335);
    addLabel(frame, Settings::QueryLocalPort, "Port 2:", 120, 720, 495);
    addField(frame, Settings::QueryLocalPort, 720, 720, 1335);
}

void frmoptions::buildIrcFrame(QGroupBox* outer)
{
    QGroupBox* frame = Controls::frame(outer, QStringLiteral("frairc"),
                                       QStringLiteral("IRC Options"), 120, 2520, 7575, 1575);
    // The labels of this frame have no width of their own; each runs up to
    // its field.
    struct Row
    {
        Settings::Key key;
        const char* label;
        int labelLeft;
        int fieldLeft;
        int fieldWidth;
        int top;
    };
    const Row rows[] = {
        {Settings::IrcHost, "Server:", 120, 960, 2295, 240},
        {Settings::IrcPort, "Port:", 3360, 3840, 1095, 240},
        {Settings::IrcLocalPort, "Local Port:", 5040, 5880, 1095, 240},
        {Settings::IrcUserName, "Username:", 120, 960, 2295, 600},
        {Settings::IrcEmail, "Email:", 3360, 3840, 3135, 600},
        {Settings::IrcNickname, "Nickname:", 120, 960, 2295, 960},
        {Settings::IrcChannel, "Room:", 3360, 3840, 2655, 960},
    };
    for (const Row& row : rows) {
        addLabel(frame, row.key, row.label, row.labelLeft, row.top, row.fieldLeft - row.labelLeft);
        addField(frame, row.key, row.fieldLeft, row.top, row.fieldWidth);
    }
    m_fields[Settings::IrcNickname]->setMaxLength(Settings::nickMaxLength);
}

void frmoptions::buildButtons(QGroupBox* outer)
{
    auto* line = new QFrame(outer);
    line->setObjectName(QStringLiteral("linesep"));
    line->setFrameShape(QFrame::HLine);
    Palette::makeSeparator(line);
    placeAt(line, 120, 2400, 7560, twipsPerPixel);

    connect(addButton(outer, "btnrfdefault", "Defaults", 6720, 1920), &QPushButton::clicked,
            m_settings, &Settings::resetBrowserDefaults);
    connect(addButton(outer, "btnircdefault", "Defaults", 6720, 3600), &QPushButton::clicked,
            m_settings, &Settings::resetIrcDefaults);
    connect(addButton(outer, "btnsave", "Save", 5880, 4200), &QPushButton::clicked, this,
            &frmoptions::save);
    connect(addButton(outer, "btncoptclose", "Close", 6840, 4200), &QPushButton::clicked, this,
            &QWidget::hide);
}

void frmoptions::addField(QWidget* frame, Settings::Key key, int left, int top, int width)
{
    auto* field = new QLineEdit(frame);
    field->setObjectName(Settings::fieldName(key));
    placeAt(field, left, top, width, fieldHeight);
    // textEdited, not textChanged: only the player's typing goes to the
    // settings, so a change arriving from them is not sent back.
    connect(field, &QLineEdit::textEdited, m_settings,
            [this, key](const QString& text) { m_settings->setValue(key, text); });
    m_fields[key] = field;
}

void frmoptions::setMessageHandler(MessageHandler handler)
{
    m_showMessage = std::move(handler);
}

QString frmoptions::savedMessage()
{
    return QStringLiteral("Settings Saved");
}

QString frmoptions::saveFailedMessage(const QString& reason)
{
    return QStringLiteral("The settings could not be saved.\n%1").arg(reason);
}

QLineEdit* frmoptions::field(Settings::Key key) const
{
    return m_fields[key];
}

void frmoptions::openDirectory(const QString& path)
{
    if (!QFileInfo(path).isDir()) {
        m_rfdir->clearSelection();
        return;
    }
    const QString root = fileSystemRoot(path);
    m_directories->setRootPath(root);
    m_rfdir->setRootIndex(m_directories->index(root));
    const QModelIndex index = m_directories->index(path);
    m_rfdir->setCurrentIndex(index);
    m_rfdir->expand(index);
    m_rfdir->scrollTo(index);
}

void frmoptions::onDirectoryActivated(const QModelIndex& index)
{
    const QString path = m_directories->filePath(index);
    openDirectory(path);
    m_settings->setValue(Settings::GameDirectory, path);
}

void frmoptions::onSettingChanged(Settings::Key key, const QString& value)
{
    if (key == Settings::GameDirectory) {
        if (value != m_directories->filePath(m_rfdir->currentIndex()))
            openDirectory(value);
        return;
    }
    QLineEdit* field = m_fields[key];
    if (field->text() != value)
        field->setText(value);
}

void frmoptions::save()
{
    const QString failure = m_settings->save(DataPaths::settingsFile());
    if (failure.isEmpty())
        m_showMessage(QMessageBox::Information, savedMessage());
    else
        m_showMessage(QMessageBox::Warning, saveFailedMessage(failure));
}
