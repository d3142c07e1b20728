#include "runtime/helperprograms.h"

#include "runtime/programlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace runtime {

QString oldFormatReaderProgram()
{
    const QString name = QStringLiteral("lembrete-formato-antigo");
    // Beside the program when it runs portable, in the installation's private folder otherwise.
    const QString beside = QDir(ProgramLayout::detect(QCoreApplication::applicationDirPath()).privateFolder())
                               .filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir(QStringLiteral(LEMBRETE_BUILD_PROGRAM_DIR)).filePath(name);
}

} // namespace runtime
