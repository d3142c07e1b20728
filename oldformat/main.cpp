// lembrete-formato-antigo CAMINHO: writes the rows of table lembrete of an
// old-format file on standard output, as oldformat/protocol.h describes.
#include "oldformat/oldtablereader.h"
#include "oldformat/protocol.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    // A length field gone wild must not take the machine's memory with it.
    const rlimit memory{rlim_t(2) << 30, rlim_t(2) << 30};
    setrlimit(RLIMIT_AS, &memory);

    // Ends with the program that started it, should that one be stopped first.
    prctl(PR_SET_PDEATHSIG, SIGKILL);

    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("Uso: lembrete-formato-antigo CAMINHO\n", stderr);
        return 2;
    }
    oldformat::Reply reply;
    QByteArray out(oldformat::kHeader);
    if (OldTableReader(arguments.at(1)).read(&reply)) {
        for (const oldformat::Row &row : reply.rows)
            out += oldformat::rowRecord(row);
        out += oldformat::endRecord(reply.rows.size());
    } else {
        out += oldformat::errorRecord(reply.error);
    }
    QFile standardOutput;
    if (!standardOutput.open(stdout, QIODevice::WriteOnly) || standardOutput.write(out) != out.size()
        || !standardOutput.flush())
        return 1;
    return 0;
}
