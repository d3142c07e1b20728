#pragma once

// The per-user component registry: the file through which hosts find a
// component library by programmatic or class identifier. Libraries write their
// records into it when registered; hosts only read it. Header only, like the
// rest of the contract, so a host needs nothing linked to read it.
//
// The file is a plain INI text, one section per record:
//
//   [CLSID\{class id}]          Name, ProgID, Control, InprocServer, TypeLib, Version
//   [Almanaqlib.Dayboard]       CLSID
//   [TypeLib\{type library id}\1.0]   Name, Locale, Path, HelpFile
//
// Writers replace the whole file at once (write to a temporary file, then
// rename), so a reader always sees either the old or the new contents; a lock
// file next to it keeps two writers from losing each other's records.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLockFile>
#include <QPair>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace almanaq {

// Names a registry file other than the user's: a path, or empty for none at all.
inline constexpr char RegistryVariable[] = "ALMANAQ_REGISTRY";

// An INI text that keeps sections and keys in their order, so that rewriting a
// file leaves the records of other components exactly as they were.
class IniDocument
{
public:
    struct Section
    {
        QString name;
        QList<QPair<QString, QString>> entries;
    };

    static IniDocument parse(const QByteArray &text)
    {
        IniDocument document;
        Section *current = nullptr;
        const QList<QByteArray> lines = text.split('\n');
        for (const QByteArray &raw : lines) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
                continue;
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                current = &document.section(line.mid(1, line.size() - 2).trimmed());
                continue;
            }
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (!current || equals <= 0)
                continue; // not a record line: ignored, as a hand edit may leave one
            current->entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
        }
        return document;
    }

    QByteArray serialize(const QString &heading = QString()) const
    {
        QByteArray text;
        if (!heading.isEmpty())
            text += "; " + heading.toUtf8() + '\n';
        for (const Section &section : m_sections) {
            text += '\n' + ('[' + section.name + ']').toUtf8() + '\n';
            for (const auto &entry : section.entries)
                text += (entry.first + QLatin1Char('=') + entry.second).toUtf8() + '\n';
        }
        return text;
    }

    const Section *find(const QString &name) const
    {
        for (const Section &section : m_sections) {
            if (section.name.compare(name, Qt::CaseInsensitive) == 0)
                return &section;
        }
        return nullptr;
    }

    QString value(const QString &sectionName, const QString &key) const
    {
        if (const Section *section = find(sectionName)) {
            for (const auto &entry : section->entries) {
                if (entry.first.compare(key, Qt::CaseInsensitive) == 0)
                    return entry.second;
            }
        }
        return QString();
    }

    bool hasValue(const QString &sectionName, const QString &key) const
    {
        if (const Section *section = find(sectionName)) {
            for (const auto &entry : section->entries) {
                if (entry.first.compare(key, Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
        return false;
    }

    // Replaces the section's entries, adding the section at the end if new.
    void setSection(const QString &name, const QList<QPair<QString, QString>> &entries)
    {
        section(name).entries = entries;
    }

    bool removeSection(const QString &name)
    {
        for (qsizetype i = 0; i < m_sections.size(); ++i) {
            if (m_sections[i].name.compare(name, Qt::CaseInsensitive) == 0) {
                m_sections.removeAt(i);
                return true;
            }
        }
        return false;
    }

    const QList<Section> &sections() const { return m_sections; }

private:
    Section &section(const QString &name)
    {
        for (Section &existing : m_sections) {
            if (existing.name.compare(name, Qt::CaseInsensitive) == 0)
                return existing;
        }
        m_sections.append({name, {}});
        return m_sections.last();
    }

    QList<Section> m_sections;
};

// Where a host finds the library that serves a programmatic identifier.
struct ComponentLocation
{
    QString classId;
    QString libraryPath;
};

class ComponentRegistry
{
public:
    // The user's registry file, or the one named by ALMANAQ_REGISTRY; empty
    // when that variable is set but empty (no registry).
    static QString defaultPath()
    {
        if (qEnvironmentVariableIsSet(RegistryVariable))
            return qEnvironmentVariable(RegistryVariable);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (data.isEmpty())
            return QString();
        return data + QStringLiteral("/Zedozarir/componentes.ini");
    }

    explicit ComponentRegistry(const QString &path = defaultPath()) : m_path(path) {}

    const QString &path() const { return m_path; }

    static QString classSection(const QString &classId)
    {
        return QStringLiteral("CLSID\\") + classId;
    }

    static QString typeLibrarySection(const QString &typeLibraryId, int major, int minor)
    {
        return QStringLiteral("TypeLib\\%1\\%2.%3").arg(typeLibraryId).arg(major).arg(minor);
    }

    // The current contents; an empty document when there is no file.
    IniDocument read() const
    {
        QFile file(m_path);
        if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
            return IniDocument();
        return IniDocument::parse(file.readAll());
    }

    // The class and library registered for progId; false when it is not
    // registered or its records are incomplete.
    bool find(const QString &progId, ComponentLocation *location) const
    {
        const IniDocument document = read();
        const QString classId = document.value(progId, QStringLiteral("CLSID"));
        if (classId.isEmpty())
            return false;
        const QString library = document.value(classSection(classId), QStringLiteral("InprocServer"));
        if (library.isEmpty())
            return false;
        *location = {classId, library};
        return true;
    }

    // Reads the file, lets change edit it and writes it back atomically, with
    // other writers kept out meanwhile. False when the file could not be locked
    // or written; the file is then as it was.
    template<class Change>
    bool update(Change change, const QString &heading = QString()) const
    {
        if (m_path.isEmpty())
            return false;
        const QFileInfo info(m_path);
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        QLockFile lock(m_path + QStringLiteral(".lock"));
        lock.setStaleLockTime(30000);
        if (!lock.tryLock(10000))
            return false;
        IniDocument document = read();
        change(document);
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        const QByteArray text = document.serialize(heading);
        if (file.write(text) != text.size())
            return false;
        return file.commit();
    }

private:
    QString m_path;
};

} // namespace almanaq
