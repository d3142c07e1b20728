#pragma once

#include "reports/cp1252.h"

#include <QByteArray>
#include <QFileDevice>
#include <memory>
#include <QString>

// The report file a report command writes: opened for output (created, or an
// existing file replaced), written line by line in Windows-1252 with CR LF
// line ends and no byte-order mark, then closed. The report is written beside
// the file under a temporary name and only takes the file's name once whole,
// so a failed write (a full disk) leaves an earlier file of that name as it was.
//
// Writing goes on quietly after a failure, so a report runs to its end either
// way; the command asks failed() afterwards and tells the user.
class ReportFile
{
public:
    explicit ReportFile(cp1252::Unmappable unmappable);
    ~ReportFile();
    ReportFile(const ReportFile &) = delete;
    ReportFile &operator=(const ReportFile &) = delete;

    bool open(const QString &fileName);
    void writeLine(QStringView text);
    // Writes bytes as they are, for a file in another encoding.
    void writeBytes(const QByteArray &bytes);
    // Writes what is still buffered and closes the file; false on failure.
    bool close();

    bool isOpen() const { return m_file && m_file->isOpen(); }
    bool failed() const { return !m_error.isEmpty(); }
    // The first failure, in words for the user.
    QString errorDescription() const { return m_error; }

private:
    void flush();
    void fail(const QString &description);

    cp1252::Unmappable m_unmappable;
    std::unique_ptr<QFileDevice> m_file;
    QByteArray m_buffer;
    QString m_error;
};
