#include "reports/reportfile.h"

#include <QDir>

namespace {

// Large reports are written in pieces of about this size.
constexpr qsizetype kFlushSize = 256 * 1024;

} // namespace

ReportFile::ReportFile(cp1252::Unmappable unmappable)
    : m_unmappable(unmappable)
{
}

ReportFile::~ReportFile()
{
    close();
}

bool ReportFile::open(const QString &fileName)
{
    close();
    m_error.clear();
    m_buffer.clear();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("Não foi possível criar o arquivo \"%1\" (%2)")
                 .arg(QDir::toNativeSeparators(fileName), m_file.errorString()));
        return false;
    }
    return true;
}

void ReportFile::writeLine(QStringView text)
{
    if (!m_file.isOpen() || failed())
        return;
    cp1252::append(m_buffer, text, m_unmappable);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= kFlushSize)
        flush();
}

bool ReportFile::close()
{
    if (m_file.isOpen()) {
        flush();
        if (!m_file.flush() && !failed())
            fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                     .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
        m_file.close();
    }
    return !failed();
}

void ReportFile::flush()
{
    if (m_buffer.isEmpty() || failed())
        return;
    if (m_file.write(m_buffer) != m_buffer.size())
        fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                 .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
    m_buffer.clear();
}

void ReportFile::fail(const QString &description)
{
    if (m_error.isEmpty())
        m_error = description;
}
