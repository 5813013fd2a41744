#include "core/platform/installlocations.h"

#include <QDir>
#include <QFileInfo>

namespace {

using Root = RegistryReader::Root;
using View = RegistryReader::View;

struct Entry
{
    Root root;
    const char* key;
    const char* name;
    View view;
    // The value is the path of a file in the folder, not the folder.
    bool isFile;
};

// The launchers record the game's executable per user; the game, Steam and
// GOG installers are 32-bit programs and write the 32-bit view.
constexpr Entry gameEntries[] = {
    {Root::CurrentUser, R"(Software\Volition\Red Faction\Alpine Faction)", "Executable Path",
     View::Native, true},
    {Root::CurrentUser, R"(Software\Volition\Red Faction\Dash Faction)", "Executable Path",
     View::Native, true},
    {Root::LocalMachine, R"(SOFTWARE\Volition\Red Faction)", "InstallPath", View::Wow32, false},
    {Root::LocalMachine, R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Steam App 20530)",
     "InstallLocation", View::Wow32, false},
    {Root::LocalMachine, R"(SOFTWARE\Nordic Games\Red Faction)", "INSTALL_DIR", View::Wow32, false},
};

const QString uninstallKey =
    QStringLiteral(R"(Software\Microsoft\Windows\CurrentVersion\Uninstall)");
const QString handlerKey = QStringLiteral(R"(Software\Classes\rf\shell\open\command)");

// Registry paths use '\' on every system the values can come from.
QString withSlashes(QString path)
{
    return path.replace(u'\\', u'/');
}

// `path` as an existing folder in Qt's form, or empty.
QString existingFolder(QString path)
{
    path = path.trimmed();
    // Some installers write the location in quotes.
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.sliced(1, path.size() - 2);
    path = withSlashes(path);
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QFileInfo(path).isDir())
        return {};
    return QDir::cleanPath(path);
}

QString folderOfFile(const QString& file)
{
    if (file.trimmed().isEmpty())
        return {};
    return QFileInfo(withSlashes(file.trimmed())).path();
}

void addOnce(QStringList* folders, const QString& folder)
{
    if (!folder.isEmpty() && !folders->contains(folder, Qt::CaseInsensitive))
        folders->append(folder);
}

} // namespace

namespace InstallLocations {

QString gameDirectory(const RegistryReader& registry)
{
    for (const Entry& entry : gameEntries) {
        const QString value = registry.value(entry.root, QString::fromLatin1(entry.key),
                                             QString::fromLatin1(entry.name), entry.view);
        const QString folder = existingFolder(entry.isFile ? folderOfFile(value) : value);
        if (!folder.isEmpty())
            return folder;
    }
    return {};
}

QStringList launcherFolders(const RegistryReader& registry)
{
    QStringList folders;
    // Varnholt's own per-user handler hides the machine's one in HKCR: read
    // both keys rather than the merged view.
    for (const Root root : {Root::CurrentUser, Root::LocalMachine}) {
        const QString program =
            launcherInCommand(registry.value(root, handlerKey, QString(), View::Native));
        addOnce(&folders, existingFolder(folderOfFile(program)));
    }
    // The launchers' installers are 32-bit: their machine-wide entries are in
    // the 32-bit view; a per-user install writes the user's own.
    const std::pair<Root, View> uninstallLists[] = {{Root::LocalMachine, View::Wow32},
                                                    {Root::CurrentUser, View::Native}};
    for (const auto& [root, view] : uninstallLists) {
        for (const QString& subkey : registry.subkeys(root, uninstallKey, view)) {
            const QString key = uninstallKey + u'\\' + subkey;
            const QString name = registry.value(root, key, QStringLiteral("DisplayName"), view);
            if (!name.contains(QLatin1String("Dash Faction"), Qt::CaseInsensitive) &&
                !name.contains(QLatin1String("Alpine Faction"), Qt::CaseInsensitive))
                continue;
            addOnce(&folders, existingFolder(registry.value(
                                  root, key, QStringLiteral("InstallLocation"), view)));
        }
    }
    return folders;
}

QString commandProgram(QStringView command)
{
    command = command.trimmed();
    if (command.startsWith(u'"')) {
        const qsizetype close = command.indexOf(u'"', 1);
        return close < 0 ? QString() : command.sliced(1, close - 1).trimmed().toString();
    }
    // Windows reads an unquoted path with blanks up to the first name that
    // exists; the launchers' commands always name an .exe.
    const QLatin1String exe(".exe");
    for (qsizetype at = command.indexOf(exe, 0, Qt::CaseInsensitive); at >= 0;
         at = command.indexOf(exe, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + exe.size();
        if (end == command.size() || command[end].isSpace())
            return command.left(end).toString();
    }
    return {};
}

QString launcherInCommand(QStringView command)
{
    const QString program = commandProgram(command);
    return isVarnholt(program) ? QString() : program;
}

bool isVarnholt(const QString& program)
{
    return QFileInfo(withSlashes(program))
               .fileName()
               .compare(QLatin1String("varnholt.exe"), Qt::CaseInsensitive) == 0;
}

} // namespace InstallLocations
