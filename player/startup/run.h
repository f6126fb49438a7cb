#pragma once

#include "platform.h"
#include "settings.h"

#include <QtGlobal>

// What one run of the player carries to its windows: the facilities outside
// the process, the settings as read at start, and whether the portal is
// taken to be reachable.
struct Run {
    explicit Run(Seams s, Settings read = processSettings())
        : seams(std::move(s)), settings(std::move(read))
    {
    }

    Seams seams;
    Settings settings;
    // 1 once the start found a connection, or the portal has answered since;
    // any other value means offline. The windows read it at each use.
    qint16 intOnline = 0;
};
