#pragma once
#include <QString>

// The address a favorite's typed URL is stored as: without surrounding blanks, and with
// "http://" in front when it names no scheme of its own ("www.example.com/page",
// "localhost:8080"). An address that has one ("https://...", "ftp://...", "mailto:...",
// "javascript:...") is kept as typed; blank text stays empty.
QString AddressToStore(const QString& typed);
