#include "core/platform/console.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
HANDLE handleOf(std::FILE* stream)
{
    return HANDLE(_get_osfhandle(_fileno(stream)));
}
#endif

} // namespace

namespace Console {

bool isTerminal(std::FILE* stream)
{
#ifdef Q_OS_WIN
    DWORD mode = 0;
    return GetConsoleMode(handleOf(stream), &mode) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void setBinary(std::FILE* stream)
{
#ifdef Q_OS_WIN
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

void enableEscapes(std::FILE* stream)
{
#ifdef Q_OS_WIN
    DWORD mode = 0;
    if (GetConsoleMode(handleOf(stream), &mode))
        SetConsoleMode(handleOf(stream), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    (void)stream;
#endif
}

bool attachToParent()
{
#ifdef Q_OS_WIN
    // Streams already redirected to a file or pipe are kept as they are.
    const bool outRedirected = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN;
    const bool errRedirected = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_UNKNOWN;
    if (outRedirected && errRedirected)
        return true;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return outRedirected || errRedirected;
    if (!outRedirected)
        std::freopen("CONOUT$", "w", stdout);
    if (!errRedirected)
        std::freopen("CONOUT$", "w", stderr);
    return true;
#else
    return true;
#endif
}

} // namespace Console
