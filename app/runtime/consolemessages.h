#pragma once

#include "runtime/platform.h"

#include <QTextStream>

namespace runtime {

// Message boxes for a run without windows: the text goes to a stream
// (standard error) and a question is answered No, the answer that changes nothing.
class ConsoleMessages final : public MessageBoxes
{
public:
    explicit ConsoleMessages(QTextStream &stream) : m_stream(stream) {}

    MessageAnswer show(QWidget *, MessageIcon, const QString &text, const QString &title,
                       MessageButtons buttons) override
    {
        m_stream << title << ": " << text << '\n';
        m_stream.flush();
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }

private:
    QTextStream &m_stream;
};

} // namespace runtime
