#pragma once

#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "gui/foldericonprovider.h"

#include <QMessageBox>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

// The options dialog: shows the twelve settings and, in a column of their
// own, the preferences beyond them, and edits them as the player types or
// clicks, so an edit is in force at once; Save makes it last, in both files.
// Created at start-up and afterwards only shown and hidden.
class OptionsDialog : public QWidget
{
    Q_OBJECT
public:
    OptionsDialog(Settings* settings, Preferences* preferences, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // How Save tells the player its outcome. The default shows a modal box;
    // tests put something in its place that records the text.
    using MessageHandler = std::function<void(QMessageBox::Icon icon, const QString& text)>;
    void setMessageHandler(MessageHandler handler);

    static QString savedMessage();
    static QString saveFailedMessage(const QString& reason);

    // The objectName of the control that shows the setting, e.g. "rflprt1".
    static QString fieldName(Settings::Key key);
    QLineEdit* field(Settings::Key key) const;
    // The check box of a yes/no preference, or nullptr.
    QCheckBox* checkBox(Preferences::Key key) const;
    QComboBox* launcherChoice() const { return m_launcherChoice; }
    QTreeView* directoryTree() const { return m_directoryTree; }
    // Selects, expands and shows `path` in the directory tree.
    void openDirectory(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setUpDirectoryTree(QTreeView* tree);
    void setUpField(QLineEdit* field, Settings::Key key);
    // Windows: rf:// links opened by this program (hidden elsewhere).
    void setUpLinkBox(QCheckBox* box, QLabel* note);
    void onDirectoryActivated(const QModelIndex& index);
    void onSettingChanged(Settings::Key key, const QString& value);
    void onPreferenceChanged(Preferences::Key key);
    void save();

    Settings* m_settings;
    Preferences* m_preferences;
    std::array<QLineEdit*, Settings::keyCount> m_fields{};
    std::array<QCheckBox*, Preferences::keyCount> m_checkBoxes{};
    QComboBox* m_launcherChoice = nullptr;
    QTreeView* m_directoryTree = nullptr;
    QFileSystemModel* m_directories = nullptr;
    MessageHandler m_showMessage;
    // The model's thread asks it until the model goes: the destructor
    // deletes the model first.
    FolderIconProvider m_folderIcons;
};
