#pragma once
#include <QString>

// The Favorites folder named in the user's registry hive, read through the registry library
// as the window reads it at start-up. When it cannot be had, returns "" and sets `problem` to
// what went wrong and what to do about it.
QString ReadFavoritesFolder(QString& problem);

// Reads the settings a check follows (the reply time-out, renaming after page titles) into
// AppSettings, as the window does at start-up, and, when `folder` is empty, sets it to the
// Favorites folder named in the hive. False, with `problem` set, when either cannot be had.
bool ReadCheckSettings(QString& folder, QString& problem);
