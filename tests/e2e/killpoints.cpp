// Linked into the test build's updater alone (update-killable): it ends the
// process at the moment of an install that VELTARO_TEST_KILL_AT names.
#include "installjournal.h"

#include <csignal>

namespace
{
void killAt(const QString &point)
{
    static const QString wanted = qEnvironmentVariable("VELTARO_TEST_KILL_AT");
    if (!wanted.isEmpty() && wanted == point)
        std::raise(SIGKILL);
}

const bool hooked = (setFaultHook(killAt), true);
} // namespace
