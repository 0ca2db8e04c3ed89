#pragma once
#include <QString>

// The address a favorite's typed URL is stored as: without surrounding blanks, then with
// "http://" in front as a new favorite's address gets it (AddressWithScheme); blank text
// stays empty.
QString AddressToStore(const QString& typed);
