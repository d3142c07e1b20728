#include "runtime/plaintext.h"

namespace runtime {
namespace {

bool isControl(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0x7f && c <= 0x9f);
}

} // namespace

QString withoutControls(const QString &text)
{
    const auto clean = [](const QString &from) {
        for (const QChar c : from)
            if (isControl(c.unicode()))
                return false;
        return true;
    };
    if (clean(text))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text.at(at).unicode();
        if (c == u'\r') {
            if (at + 1 == text.size() || text.at(at + 1) != u'\n')
                result.append(u'\n');
        } else if (!isControl(c)) {
            result.append(QChar(c));
        }
    }
    return result;
}

} // namespace runtime
