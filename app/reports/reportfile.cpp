#include "reports/reportfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    const QFileInfo target(fileName);
    // A device or a pipe cannot be replaced; it is written to directly.
    if (target.exists() && !target.isFile() && !target.isDir())
        m_file = std::make_unique<QFile>(fileName);
    else
        m_file = std::make_unique<QSaveFile>(fileName);
    // Unbuffered: the report keeps its own buffer, and a write that fails must
    // fail at once, not in a later flush whose error the commit overlooks.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        fail(QStringLiteral("Não foi possível criar o arquivo \"%1\" (%2)")
                 .arg(QDir::toNativeSeparators(fileName), m_file->errorString()));
        m_file.reset();
        return false;
    }
    return true;
}

void ReportFile::writeLine(QStringView text)
{
    if (!isOpen() || failed())
        return;
    cp1252::append(m_buffer, text, m_unmappable);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= kFlushSize)
        flush();
}

void ReportFile::writeBytes(const QByteArray &bytes)
{
    if (!isOpen() || failed())
        return;
    m_buffer.append(bytes);
    if (m_buffer.size() >= kFlushSize)
        flush();
}

bool ReportFile::close()
{
    if (!isOpen())
        return !failed();
    flush();
    const QString fileName = m_file->fileName();
    if (auto *replacement = qobject_cast<QSaveFile *>(m_file.get())) {
        if (!failed() && !replacement->flush())
            fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                     .arg(QDir::toNativeSeparators(fileName), replacement->errorString()));
        if (failed())
            replacement->cancelWriting();
        if (!replacement->commit() && !failed())
            fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                     .arg(QDir::toNativeSeparators(fileName), replacement->errorString()));
    } else {
        if (!m_file->flush() && !failed())
            fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                     .arg(QDir::toNativeSeparators(fileName), m_file->errorString()));
        m_file->close();
    }
    m_file.reset();
    return !failed();
}

void ReportFile::flush()
{
    if (m_buffer.isEmpty() || failed())
        return;
    if (m_file->write(m_buffer) != m_buffer.size())
        fail(QStringLiteral("Não foi possível gravar o arquivo \"%1\" (%2)")
                 .arg(QDir::toNativeSeparators(m_file->fileName()), m_file->errorString()));
    m_buffer.clear();
}

void ReportFile::fail(const QString &description)
{
    if (m_error.isEmpty())
        m_error = description;
}
