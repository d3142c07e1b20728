#pragma once

// Realistic reminders for the benchmarks: titles of 10 to 60 characters and
// descriptions of 0 to 300, made of Portuguese words with their accents, on
// days spread over four years around today. The same count gives the same rows.
#include "store/daytext.h"

#include <QDate>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

namespace benchdata {

inline const QStringList &words()
{
    static const QStringList list = QStringLiteral(
        "reunião consulta médico dentista pagar conta água luz telefone aniversário mãe pai irmão "
        "irmã avó avô escola matrícula prova trabalho relatório entrega projeto ação análise "
        "orçamento seguro carro revisão óleo pneus viagem passagem hotel reserva férias feriado "
        "natal páscoa ano novo comprar presente mercado farmácia remédio vacina exame sangue "
        "coração pressão academia natação futebol jogo ingresso cinema teatro show música aula "
        "inglês espanhol alemão piano violão curso inscrição certidão cartório documento "
        "identidade passaporte renovação imposto declaração receita boleto fatura cartão banco "
        "empréstimo poupança investimento ações reunião diretoria equipe cliente fornecedor "
        "contrato assinatura prazo vencimento aluguel condomínio manutenção elétrica hidráulica "
        "pintura mudança limpeza jardim plantas cachorro gato veterinário ração banho tosa "
        "casamento batizado formatura festa convite bolo decoração fotógrafo música igreja "
        "missa culto oração retiro visita hospital ligação mensagem email resposta urgente "
        "importante lembrar não esquecer amanhã cedo tarde noite manhã segunda terça quarta "
        "quinta sexta sábado domingo janeiro fevereiro março abril maio junho julho agosto "
        "setembro outubro novembro dezembro às horas com para de do da no na em por sobre "
        "São Paulo Brasília Belém Goiânia Florianópolis Vitória Maceió Cuiabá").split(u' ');
    return list;
}

inline QString phrase(QRandomGenerator &random, int minimum, int maximum)
{
    const int target = minimum + int(random.bounded(maximum - minimum + 1));
    QString text;
    while (text.size() < target) {
        if (!text.isEmpty())
            text += u' ';
        text += words().at(int(random.bounded(words().size())));
    }
    text.truncate(target);
    if (text.endsWith(u' '))
        text[text.size() - 1] = u's';
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// Creates the reminder table as the program does and fills it. The program's
// own indexes are made when it first opens the file.
inline bool fill(const QString &path, int count)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "create table lembrete (id integer primary key autoincrement, data text not null, "
                     "titulo text not null, descricao text not null default '')", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "insert into lembrete (data, titulo, descricao) values (?, ?, ?)", -1, &insert,
                       nullptr);
    QRandomGenerator random(2006);
    const QDate first = QDate::currentDate().addYears(-2);
    for (int i = 0; i < count; ++i) {
        const QByteArray day = daytext::stored(first.addDays(random.bounded(4 * 365 + 1))).toUtf8();
        const QByteArray title = phrase(random, 10, 60).toUtf8();
        const QByteArray description = phrase(random, 0, 300).toUtf8();
        sqlite3_bind_text(insert, 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, description.constData(), int(description.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "create index lembrete_data on lembrete (data, titulo)", nullptr, nullptr, nullptr);
    return sqlite3_close(db) == SQLITE_OK;
}

} // namespace benchdata
