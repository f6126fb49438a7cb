#include "settings.h"

namespace {
QString fromEnvironment(const char *name, const char *builtIn)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString::fromUtf8(builtIn) : value;
}
} // namespace

QString portalRoot()
{
    return fromEnvironment("VELTARO_PORTAL_ROOT", VELTARO_DEFAULT_PORTAL_ROOT);
}

QString homeSiteUrl()
{
    return fromEnvironment("VELTARO_HOME_SITE_URL", VELTARO_DEFAULT_HOME_SITE_URL);
}
