#pragma once

#include <QString>
#include <memory>

// Where the sync password is kept between runs. The real one is the
// desktop's secret service; tests use a double.
class PasswordVault
{
public:
    virtual ~PasswordVault() = default;
    // False, with the reason, when there is no password or no secret service.
    virtual bool read(const QString &account, QString *password, QString *error) = 0;
    virtual bool write(const QString &account, const QString &password, QString *error) = 0;
};

// The desktop's secret service through QtKeychain; never a plain-text fallback.
std::unique_ptr<PasswordVault> makeSystemVault();
