// almanaq-registro: registers or unregisters a copy of the calendar library for
// the current user, through the library's own entry points.
//
//   almanaq-registro --registrar [biblioteca]
//   almanaq-registro --remover [biblioteca]
//
// Without a path it takes libAlmanaq.so from its own folder, or, installed in
// <prefix>/bin (as older installations had it), from <prefix>/lib/zedozarir.

#include "almanaqlib.h"
#include "componentregistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>
#include <QTextStream>

namespace {

QString defaultLibrary()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QLatin1Char('/') + QLatin1String(almanaq::LibraryFileName);
    const QString installed = folder + QStringLiteral("/../" ALMANAQ_INSTALLED_LIBRARY_FOLDER "/")
        + QLatin1String(almanaq::LibraryFileName);
    return !QFileInfo(beside).exists() && QFileInfo(installed).exists() ? installed : beside;
}

int usage(QTextStream &err)
{
    err << "Uso: almanaq-registro --registrar|--remover [biblioteca]\n"
           "Registra ou remove o registro da biblioteca de componentes (por padrão "
        << almanaq::LibraryFileName << " na pasta deste programa) em "
        << almanaq::ComponentRegistry::defaultPath() << ".\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() > 2)
        return usage(err);
    const QString action = arguments[0];
    const bool registering = action == QLatin1String("--registrar");
    if (!registering && action != QLatin1String("--remover"))
        return usage(err);

    const QString path =
        QFileInfo(arguments.size() == 2 ? arguments[1] : defaultLibrary()).absoluteFilePath();
    if (!QFileInfo(path).isFile()) {
        err << "Arquivo não encontrado: " << path << '\n';
        return 1;
    }
    QLibrary library(path);
    if (!library.load()) {
        err << "Não foi possível carregar " << path << ": " << library.errorString() << '\n';
        return 1;
    }
    const char *symbol = registering ? almanaq::RegisterServerSymbol : almanaq::UnregisterServerSymbol;
    const auto entryPoint = reinterpret_cast<almanaq::RegisterServerFunction>(library.resolve(symbol));
    if (!entryPoint) {
        err << path << " não é uma biblioteca de componentes registrável.\n";
        return 1;
    }
    const int status = entryPoint();
    if (status < 0) {
        err << (registering ? "O registro" : "A remoção do registro") << " de " << path
            << " falhou (código 0x" << QString::number(quint32(status), 16).toUpper() << ").\n";
        return 1;
    }
    out << (registering ? "Registrada: " : "Registro removido: ") << path << '\n'
        << "Registro de componentes: " << almanaq::ComponentRegistry::defaultPath() << '\n';
    return 0;
}
