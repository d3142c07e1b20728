// Adds a reminder through the reminder store of the program installed in the
// folder named on the command line, as that program would (same layout rule,
// same store), and prints the database it wrote. Used by install-test.sh.

#include "runtime/platform.h"
#include "store/modgeral.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

namespace {

// No window may open here: every message is a failure to print.
class PrintedMessages final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text, const QString &,
                                runtime::MessageButtons) override
    {
        QTextStream(stderr) << "mensagem: " << text << '\n';
        ++count;
        return runtime::MessageAnswer::No;
    }
    int count = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    runtime::Platform platform(app.arguments().at(1));
    auto messages = std::make_unique<PrintedMessages>();
    const PrintedMessages *shown = messages.get();
    platform.setMessageBoxes(std::move(messages));

    modgeral store(platform);
    store.abrirbanco();
    if (!store.isOpen()
        || !store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("Instalado"), QString())
        || !store.openRecordset(modgeral::titleQuery(QStringLiteral("instalado")))
        || !store.recordset().next() || shown->count != 0)
        return 1;
    QTextStream(stdout) << store.connection().databaseName() << '\n';
    return 0;
}
