#pragma once

#include <QWidget>
#include <memory>

class QModelIndex;
class ReminderListModel;
class modgeral;

namespace runtime {
class Platform;
}

namespace Ui {
class frmprocurar;
}

// Finding reminders as the user types: the reminders whose title or
// description has every typed word, without regard to case or accents, in
// day and title order. A double click or Enter on one asks for its editor.
class frmprocurar : public QWidget
{
    Q_OBJECT
public:
    frmprocurar(runtime::Platform &platform, modgeral &store, QWidget *parent = nullptr);
    ~frmprocurar() override;

    // Runs the search for the text in the box again, as after the
    // reminders changed.
    void procurar();

    // What the result line says while the search index is being built.
    static QString preparingText(int percent);

signals:
    // The user picked this reminder to open in the editor.
    void abrirLembrete(qint64 key);

protected:
    void changeEvent(QEvent *event) override;

private:
    void lstlista_DblClick(const QModelIndex &index);
    void showResult(int count, const QString &error);

    std::unique_ptr<Ui::frmprocurar> ui;
    runtime::Platform &m_platform;
    modgeral &m_store;
    ReminderListModel *m_rows = nullptr;
};
