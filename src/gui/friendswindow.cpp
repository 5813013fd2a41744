#include "gui/friendswindow.h"

#include "gui/controls.h"
#include "gui/palette.h"
#include "gui/secondarywindow.h"
#include "gui/twips.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using Controls::make;

constexpr Controls::Control controls[] = {
    {"lblfriends", nullptr, make<QLabel>, "Friends (* and ? stand for any letters):", 120, 120,
     4695, 255},
    {"lstfriends", nullptr, make<QTreeWidget>, "", 120, 400, 4695, 1455},
    {"txtfriend", nullptr, make<QLineEdit>, "", 120, 1960, 2775, 285},
    {"btnaddfriend", nullptr, make<QPushButton>, "&Add", 3000, 1960, 855, 285},
    {"btnremovefriend", nullptr, make<QPushButton>, "&Remove", 3960, 1960, 855, 285},
    {"lblplaying", nullptr, make<QLabel>, "Playing now:", 120, 2400, 4695, 255},
    {"lstplaying", nullptr, make<QTreeWidget>, "", 120, 2680, 4695, 1455},
    {"btnfriendsclose", nullptr, make<QPushButton>, "&Close", 3960, 4240, 855, 375},
};

void setUpList(QTreeWidget* list, const QStringList& headers)
{
    list->setRootIsDecorated(false);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(true);
}

} // namespace

FriendsWindow::FriendsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmfriends"));
    setWindowTitle(QStringLiteral("Friends"));
    setClientAreaTwips(this, 4935, 4740);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    SecondaryWindow::closeOnEscape(this);

    const Controls::Built built = Controls::build(this, controls);
    m_patterns = Controls::get<QTreeWidget>(built, "lstfriends");
    setUpList(m_patterns, {QStringLiteral("Name or pattern")});
    m_playing = Controls::get<QTreeWidget>(built, "lstplaying");
    setUpList(m_playing, {QStringLiteral("Player"), QStringLiteral("Server")});
    m_pattern = Controls::get<QLineEdit>(built, "txtfriend");

    auto add = [this] {
        const QString pattern = m_pattern->text().trimmed();
        if (pattern.isEmpty())
            return;
        m_pattern->clear();
        Q_EMIT addRequested(pattern);
    };
    connect(m_pattern, &QLineEdit::returnPressed, this, add);
    connect(Controls::get<QPushButton>(built, "btnaddfriend"), &QPushButton::clicked, this, add);
    connect(Controls::get<QPushButton>(built, "btnremovefriend"), &QPushButton::clicked, this,
            [this] {
                if (const QTreeWidgetItem* item = m_patterns->currentItem())
                    Q_EMIT removeRequested(item->text(0));
            });
    connect(Controls::get<QPushButton>(built, "btnfriendsclose"), &QPushButton::clicked, this,
            &QWidget::hide);
}

void FriendsWindow::setPatterns(const QStringList& patterns)
{
    m_patterns->clear();
    for (const QString& pattern : patterns)
        m_patterns->addTopLevelItem(new QTreeWidgetItem({pattern}));
}

void FriendsWindow::setPlaying(const QList<QPair<QString, QString>>& playing)
{
    m_playing->clear();
    for (const auto& [player, server] : playing)
        m_playing->addTopLevelItem(new QTreeWidgetItem({player, server}));
}

void FriendsWindow::closeEvent(QCloseEvent* event)
{
    // Escape and the title bar's close button hide; the window lives for the run.
    event->ignore();
    hide();
}
