#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace arvelo {

// File names are bytes. Valid UTF-8 decodes as usual; each byte of an invalid sequence becomes
// one lone surrogate U+DC80..U+DCFF, which encodes back to that byte, so no name is lost.
QString decodeName(QByteArrayView bytes);
QByteArray encodeName(QStringView name);

// A name as shown to the user: a byte that is not text shows as U+FFFD.
QString displayName(const QString &name);

// The process's current folder, byte for byte; empty when it cannot be told.
QString currentFolder();

} // namespace arvelo
