// Qt's own texts that reach the user come in Brazilian Portuguese once the
// program has loaded Qt's translations: file dialogs and network errors.
#include "runtime/translations.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(runtime::installQtTranslations(*QCoreApplication::instance())); }

    void theFileDialogsColumnsArePortuguese()
    {
        QFileSystemModel model; // what QFileDialog lists the files with
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nome"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Tamanho"));
    }

    void aRefusedConnectionIsToldInPortuguese()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!socket.waitForConnected(5000));
        QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
        QVERIFY2(!socket.errorString().contains(QStringLiteral("refused")), qPrintable(socket.errorString()));
        QVERIFY2(socket.errorString().contains(QStringLiteral("recusada")), qPrintable(socket.errorString()));
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
