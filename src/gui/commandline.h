#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before any window or display is needed:
// --help and --version answer at once, anything not understood is refused
// with one line, and a server to join (an rf:// link or --join host:port) is
// handed on as text for the join to check.
struct CommandLine
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        Refuse,
        // Windows: open rf:// links with this program, or stop doing so.
        RegisterLinks,
        UnregisterLinks,
    };

    Action action = Action::Run;
    // The help or version text for stdout, or the reason a line is refused.
    QString text;
    // An rf:// link, or "host:port" from --join; empty for none.
    QString join;
    bool joinIsLink = false;

    // `arguments` as main() gets them, the program's name first.
    static CommandLine parse(const QStringList& arguments);
    // Exit status for a refused line.
    static constexpr int usageError = 2;
};
