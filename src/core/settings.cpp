#include "settings.h"

Settings g_settings = kDefaultSettings;
