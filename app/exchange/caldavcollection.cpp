#include "exchange/caldavcollection.h"

#include <QStringList>

namespace caldav {

namespace {

int portOf(const QUrl &url)
{
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

// Dot segments are removed after decoding, so "%2e%2e" climbs as ".." does
// (as a server may take it); empty segments are dropped, as servers merge
// them. Empty when the path climbs above the root or holds what some servers
// read as a separator or an end.
QString normalised(const QString &decoded)
{
    if (!decoded.startsWith(QLatin1Char('/')) || decoded.contains(QLatin1Char('\\'))
        || decoded.contains(QChar(0)))
        return {};
    const QStringList segments = decoded.mid(1).split(QLatin1Char('/'));
    QStringList kept;
    for (const QString &segment : segments) {
        if (segment == QLatin1String("..")) {
            if (kept.isEmpty())
                return {};
            kept.removeLast();
        } else if (!segment.isEmpty() && segment != QLatin1String(".")) {
            kept.append(segment);
        }
    }
    const QString &last = segments.constLast();
    const bool folder = last.isEmpty() || last == QLatin1String(".") || last == QLatin1String("..");
    QString path = QLatin1Char('/') + kept.join(QLatin1Char('/'));
    if (folder && !kept.isEmpty())
        path += QLatin1Char('/');
    return path;
}

} // namespace

Collection::Collection(const QUrl &address)
    : m_address(address)
{
    m_path = normalised(address.path(QUrl::FullyDecoded));
    if (!m_path.endsWith(QLatin1Char('/')))
        m_path += QLatin1Char('/');
    m_base = address;
    m_base.setPath(m_path, QUrl::DecodedMode);
}

bool Collection::sameOrigin(const QUrl &url) const
{
    return url.scheme().compare(m_address.scheme(), Qt::CaseInsensitive) == 0
        && url.host().compare(m_address.host(), Qt::CaseInsensitive) == 0 && portOf(url) == portOf(m_address);
}

QString Collection::resolve(const QString &href) const
{
    const QUrl url = m_base.resolved(QUrl(href.trimmed()));
    if (!url.isValid() || !sameOrigin(url))
        return {};
    return normalised(url.path(QUrl::FullyDecoded));
}

bool Collection::contains(const QString &path) const
{
    const QString clean = normalised(path);
    return clean.size() > m_path.size() && clean.startsWith(m_path);
}

} // namespace caldav
