#include "core/platform/registryreader.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>
#endif

namespace {

#ifdef Q_OS_WIN
// Closes the key when it goes out of scope.
class OpenKey
{
public:
    OpenKey(RegistryReader::Root root, const QString& path, RegistryReader::View view)
    {
        const HKEY base =
            root == RegistryReader::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const REGSAM access =
            KEY_READ | (view == RegistryReader::View::Wow32 ? KEY_WOW64_32KEY : 0);
        if (RegOpenKeyExW(base, path.toStdWString().c_str(), 0, access, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~OpenKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY handle() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

QString readValue(RegistryReader::Root root, const QString& key, const QString& name,
                  RegistryReader::View view)
{
    const OpenKey open(root, key, view);
    if (!open.handle())
        return {};
    const std::wstring valueName = name.toStdWString();
    // REG_EXPAND_SZ values are expanded and pass as REG_SZ.
    const DWORD types = RRF_RT_REG_SZ;
    // The value may grow between the two calls: ask again until it fits.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD bytes = 0;
        if (RegGetValueW(open.handle(), nullptr, valueName.c_str(), types, nullptr, nullptr,
                         &bytes) != ERROR_SUCCESS)
            return {};
        std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
        const LSTATUS status = RegGetValueW(open.handle(), nullptr, valueName.c_str(), types,
                                            nullptr, text.data(), &bytes);
        if (status == ERROR_SUCCESS)
            return QString::fromWCharArray(text.data());
        if (status != ERROR_MORE_DATA)
            return {};
    }
    return {};
}

QStringList readSubkeys(RegistryReader::Root root, const QString& key, RegistryReader::View view)
{
    const OpenKey open(root, key, view);
    QStringList names;
    if (!open.handle())
        return names;
    // Key names are at most 255 characters.
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = DWORD(std::size(name));
        const LSTATUS status =
            RegEnumKeyExW(open.handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        names << QString::fromWCharArray(name, int(length));
    }
    return names;
}
#endif

} // namespace

RegistryReader RegistryReader::system()
{
#ifdef Q_OS_WIN
    return {readValue, readSubkeys};
#else
    return {[](Root, const QString&, const QString&, View) { return QString(); },
            [](Root, const QString&, View) { return QStringList(); }};
#endif
}
