#pragma once

#include <QList>
#include <QPair>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QTreeWidget;

// The friends window: the friends' name patterns, and the friends playing
// now with the server each is on. It only shows; the main window keeps the
// friends. Hidden rather than closed, like the users window.
class FriendsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FriendsWindow(QWidget* parent = nullptr);

    void setPatterns(const QStringList& patterns);
    // Each friend playing now and where: (player, server).
    void setPlaying(const QList<QPair<QString, QString>>& playing);

    QTreeWidget* patternList() const { return m_patterns; }
    QTreeWidget* playingList() const { return m_playing; }

Q_SIGNALS:
    void addRequested(const QString& pattern);
    void removeRequested(const QString& pattern);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTreeWidget* m_patterns;
    QTreeWidget* m_playing;
    QLineEdit* m_pattern;
};
