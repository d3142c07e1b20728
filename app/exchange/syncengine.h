#pragma once

#include "exchange/caldavclient.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace icalendar {
struct Item;
}

// What one sync did, and what to tell the user.
struct SyncOutcome
{
    bool ok = false;
    bool credentialsRefused = false; // the server answered 401 or 403
    QString message;
    int sent = 0;          // reminders added or changed on the server
    int received = 0;      // reminders added or changed here
    int removedHere = 0;
    int removedThere = 0;
    int conflicts = 0;
    QStringList warnings; // server objects that could not be read, reminders that could not be sent
};

// Two-way sync of the reminder database with one calendar collection. Each
// reminder is one all-day event object. The server's changes are taken first
// (sync-collection where offered, ETag comparison otherwise), then the local
// additions, edits and removals are sent with conditional requests. A
// reminder changed on both sides takes the server's version and the local one
// stays as a new reminder titled "... (conflito)". Every change here is
// written together with what the server confirmed, so a sync that stops
// midway leaves both sides consistent and the next one resumes.
class SyncEngine
{
public:
    using Progress = std::function<void(const QString &)>;

    SyncEngine(const QSqlDatabase &db, caldav::Client &client, const QString &account,
               const QDate &today, const QDateTime &now, Progress progress = {});

    SyncOutcome run();

    // Objects fetched, and requests sent, per database transaction.
    void setBatchSize(int size) { m_batch = qMax(1, size); }
    // Off: the server's changes are found by comparing ETags even where it
    // offers sync-collection.
    void setUseSyncCollection(bool use) { m_useSyncCollection = use; }

private:
    struct Row
    {
        qint64 id = 0;
        QString href;
        QString etag;
        QString uid;
        QString occurrence;
        QVariant key; // the reminder's rowid, null when none on purpose
        QString agreed;
        bool present = false; // the reminder still exists
        QString current;
    };

    static QString contentOf(const icalendar::Item &item);

    bool pull(const caldav::CollectionInfo &info);
    bool push(); // in syncpush.cpp
    bool fail(const QString &message);
    void tell(const QString &text) const;

    bool loadState();
    bool loadUnlinked();
    void applyObject(const caldav::ObjectData &object);
    void applyRemoval(const QString &href);
    void linkOrInsert(const QString &href, const QString &etag, const icalendar::Item &item);
    void replaceSingle(const QString &etag, const icalendar::Item &item, const Row &row);
    void replaceSeries(const QString &href, const QString &etag, const QList<icalendar::Item> &items,
                       const QList<Row> &rows);

    // In syncmigration.cpp: objects an earlier version kept as one reminder
    // per occurrence, and their folding into one series.
    static bool isExpanded(const QList<Row> &rows);
    QStringList expandedToFold();
    void markFolded();
    void foldUnlinkedCopies(qint64 key, const icalendar::Item &series);
    void foldCopies(const QString &href, const QString &etag, const QList<icalendar::Item> &items,
                    const QList<Row> &rows);

    static QVariantList valuesOf(const icalendar::Item &item);
    void updateReminder(qint64 key, const icalendar::Item &item);
    qint64 insertReminder(const icalendar::Item &item);
    void keepObject(const caldav::ObjectData &object, QList<icalendar::Item> &items);
    void linkOccurrences(const QList<icalendar::Item> &items);
    void agreeWhole(const QString &href, const QString &etag, const QString &uid, qint64 series,
                    const QByteArray &object);
    qint64 insertReminder(const QString &day, const QString &title, const QString &description,
                          const QVariant &uid);
    void insertRow(const QString &href, const QString &etag, const QString &uid,
                   const QString &occurrence, const QVariant &key, const QString &agreed);
    QVariant exec(const QString &sql, const QVariantList &values);
    bool begin();
    bool commit();

    QString setting(const QString &name);
    void saveSetting(const QString &name, const QString &value);
    bool checkAccount();

    QSqlDatabase m_db;
    caldav::Client &m_client;
    QString m_account;
    QDate m_today;
    QDateTime m_now;
    Progress m_progress;

    int m_batch = 200;
    bool m_useSyncCollection = true;
    SyncOutcome m_outcome;
    QString m_sqlError; // the first failed statement since the last transaction began
    bool m_retry = false; // a conditional request was refused: take the server's changes again

    QHash<QString, QList<Row>> m_state;
    QSet<QString> m_toFold; // fetched again only to fold their copies
    QHash<QString, qint64> m_unlinkedByUid;
    QMultiHash<QString, qint64> m_unlinkedByContent;
    QHash<qint64, QString> m_unlinkedContent;
    QHash<qint64, QString> m_unlinkedUid;
    QMultiHash<QString, qint64> m_unlinkedCopies; // copies an earlier version made, by their series' UID
};
