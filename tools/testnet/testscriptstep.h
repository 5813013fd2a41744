#pragma once

#include "testserverprofile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One timed change of a scripted test network, from a scenario file line
// "@ TIME ACTION ..." (see TestScenario::usage()): players join and leave,
// servers go silent and come back, maps change, the script starts over.
struct TestScriptStep
{
    enum class Action
    {
        Join,
        Leave,
        Silent,
        Back,
        Map,
        Repeat
    };

    int atMs = 0;
    Action action = Action::Join;
    // Index of the server in the scenario's list; -1 for Repeat.
    int server = -1;
    // The player's name (Join, Leave) or the map (Map).
    QByteArray value;

    // The text after "@"; `servers` are those listed above it, whose names
    // the step may use. Nothing on a bad line, `error` saying why.
    static std::optional<TestScriptStep>
    parse(const QByteArray& text, const QList<TestServerProfile>& servers, QString* error);

    // Changes the server as the step says (not for Repeat). A player who
    // joins is added to the player list (a names list if the server had
    // none) and to the count; one who leaves is taken from both.
    void applyTo(TestServerProfile& profile) const;
};
