#pragma once
#include <QByteArray>
#include <QImage>
#include <QList>

// An icon file (.ico) holding each image as a 32-bit bitmap with its alpha channel and the
// one-bit mask that older readers use; images may be 1 to 256 pixels square.
QByteArray IconFileBytes(const QList<QImage>& images);
