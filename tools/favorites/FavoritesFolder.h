#pragma once
#include <QString>

// The Favorites folder named in the user's registry hive, read through the registry library
// as the window reads it at start-up. When it cannot be had, returns "" and sets `problem` to
// what went wrong and what to do about it.
QString ReadFavoritesFolder(QString& problem);
