#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace almanaq {

enum class RegistryRoot {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
};

// Value types as the registry numbers them.
inline constexpr int RegistryString = 1;
inline constexpr int RegistryNumber32 = 4;

struct RegistryValue
{
    int type = 0;
    QByteArray data; // the value's bytes as stored
};

// A small system registry of keys and typed values, kept in an INI file:
// one section per key, named by its root and path, one line per value.
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Some\Key]
//   PATH=sz:/usr/bin/programa\0      text; escapes \\ \0 \n \r \t
//   Count=dword:0000002a            32-bit number, stored low byte first
//   Blob=hex(3):01,02,ff            bytes of any type
//
// Only the about box reads it, to find the system-information program.
class SystemRegistry
{
public:
    // The file named by ALMANAQ_SYSTEM_REGISTRY, else registro-sistema.ini in
    // the user's configuration folder.
    static QString defaultPath();

    explicit SystemRegistry(const QString &path = defaultPath());

    const QString &path() const { return m_path; }

    // Whether the key exists.
    bool hasKey(RegistryRoot root, const QString &keyName) const;

    // The value valueName of the key; nothing when the key or the value does
    // not exist, its line cannot be read, or it holds more than maxBytes.
    std::optional<RegistryValue> queryValue(RegistryRoot root, const QString &keyName,
                                            const QString &valueName, int maxBytes) const;

    static QString rootName(RegistryRoot root);
    // The value's bytes from its text form; nothing for a malformed text.
    static std::optional<RegistryValue> decode(const QString &text);

private:
    QString m_path;
};

} // namespace almanaq
