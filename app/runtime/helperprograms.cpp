#include "runtime/helperprograms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace runtime {

QString oldFormatReaderProgram()
{
    const QString name = QStringLiteral("lembrete-formato-antigo");
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir(QStringLiteral(LEMBRETE_BUILD_PROGRAM_DIR)).filePath(name);
}

} // namespace runtime
