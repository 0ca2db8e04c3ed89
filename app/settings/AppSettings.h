#pragma once
#include "app/settings/RegistryObject.h"

#include <QString>
#include <cstdint>

class WindowPlacement;

// The program's global settings, one record for the whole process: filled from the registry
// at start-up, changed by the options dialog, written back when the main window closes.
struct ApplicationSettings
{
    int16_t Timeout = 0;     // default reply time-out of a link check, milliseconds
    bool ChangeName = false; // a check may rename a favorite after its page title
    bool IEToolMenu = false; // the browser's Tools-menu entry is installed
    bool IEToolbar = false;  // the browser's toolbar button is installed
};

// Zeroed until the settings are loaded.
extern ApplicationSettings AppSettings;

// Reads the window's placement (applying each value as it comes), the four settings and the
// Favorites folder path, which it returns. Runs once, when the main window loads.
QString LoadAppSettings(WindowPlacement& Main);

// Writes the window's placement and the four settings. Runs once, when the main window closes.
void SaveAppSettings(const WindowPlacement& Main);

// Reads the four settings into AppSettings, each stored value that cannot be used giving its
// default.
void LoadGlobalSettings(const RegistryObject& registry);

// The Favorites folder the user's profile names; "" when it names none.
QString ReadFavoritesPath(const RegistryObject& registry);
