#include "exchange/objectcheck.h"

namespace objectcheck {

namespace {

bool startsWith(QByteArrayView line, QByteArrayView keyword)
{
    return line.size() >= keyword.size() && line.first(keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0;
}

} // namespace

QString refusal(const QByteArray &object)
{
    int depth = 0;
    for (qsizetype at = 0; at < object.size();) {
        qsizetype end = object.indexOf('\n', at);
        end = end < 0 ? object.size() : end + 1;
        const QByteArrayView line = QByteArrayView(object).sliced(at, end - at);
        if (startsWith(line, "BEGIN:") && ++depth > maxNesting)
            return QStringLiteral("tem componentes aninhados em mais de %1 níveis.").arg(maxNesting);
        if (startsWith(line, "END:") && depth > 0)
            --depth;
        at = end;
    }
    return {};
}

} // namespace objectcheck
