#pragma once

#include <QString>

// The portal's base URL (ends in "/kinotray/"). Built-in value from the CMake
// cache; VELTARO_PORTAL_ROOT in the environment overrides it.
QString portalRoot();

// The product's home site; VELTARO_HOME_SITE_URL overrides the built-in value.
QString homeSiteUrl();
