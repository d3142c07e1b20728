#pragma once

#include "oldformat/protocol.h"

#include <QString>

// Reads table lembrete of an old-format file with libmdb, checking every
// structure it follows, so that a damaged file gives an error and never a
// shortened or emptied text. Only this executable links libmdb: whatever a
// damaged file still does to it, it cannot take the program down.
class OldTableReader
{
public:
    explicit OldTableReader(const QString &path) : m_path(path) {}

    // Every row of the table; false with reply->error set when the file
    // cannot be read in full.
    bool read(oldformat::Reply *reply);

private:
    QString m_path;
};
