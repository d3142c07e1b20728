#pragma once

#include <QString>
#include <QUrl>

namespace caldav {

// The configured calendar collection: its origin (scheme, host and port) and
// its path. No request leaves that origin, and nothing the server names
// outside that path is read, written or deleted.
class Collection
{
public:
    explicit Collection(const QUrl &address);

    QUrl address() const { return m_address; }
    // Decoded, ending with "/".
    QString path() const { return m_path; }

    bool sameOrigin(const QUrl &url) const;
    // The decoded path, free of "." and ".." segments, that an href from the
    // server names on this origin; empty when it names another origin or
    // climbs above the root.
    QString resolve(const QString &href) const;
    // True for a decoded path below the collection's own.
    bool contains(const QString &path) const;

private:
    QUrl m_address;
    QUrl m_base; // the address with its path ending in "/", which hrefs are resolved against
    QString m_path;
};

} // namespace caldav
