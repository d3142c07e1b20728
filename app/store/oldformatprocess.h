#pragma once

#include "oldformat/protocol.h"

#include <QList>
#include <QString>

// Reads an old-format file through the reader executable: whatever the file
// does to the reader (a crash, a hang, a malformed reply) ends here as an
// error for the user, never in the program.
class OldFormatProcess
{
public:
    // How long the reader may take over a file of this many bytes.
    static int timeLimitMs(qint64 fileSize);

    // The rows of table lembrete; false with *error in words for the user.
    static bool read(const QString &path, QList<oldformat::Row> *rows, QString *error);
    // The same with another reader program (tests hand it misbehaving ones).
    static bool readWith(const QString &program, const QString &path, QList<oldformat::Row> *rows,
                         QString *error);
};
