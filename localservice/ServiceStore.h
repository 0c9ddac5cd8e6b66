#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <optional>

// The service's one SQLite file: users, sessions, profiles and handles,
// wallpapers with their tags and files, favourites, submissions and uploads.
// Every change runs in a transaction, so a killed service keeps exactly what
// it had answered as done. One store per thread; SQLite's own locking lets
// another process (the review command) change the file meanwhile.
class ServiceStore
{
public:
    // Opens, or creates, the database file and its tables. isOpen() tells.
    explicit ServiceStore(const QString& databaseFile);
    ~ServiceStore();
    ServiceStore(const ServiceStore&) = delete;
    ServiceStore& operator=(const ServiceStore&) = delete;

    bool isOpen() const { return m_open; }
    QString errorText() const { return m_error; }

    // Runs the change in one transaction: committed when it returns true,
    // rolled back when it returns false or a statement fails.
    bool transaction(const std::function<bool()>& change);

    // A prepared statement with its values bound in order; exec() tells.
    QSqlQuery query(const QString& sql, std::initializer_list<QVariant> values = {}) const;
    // Runs a statement; false (and the error kept) when it fails.
    bool run(const QString& sql, std::initializer_list<QVariant> values = {});
    // Runs a change; how many rows it touched, or nothing when it fails.
    std::optional<int> change(const QString& sql, std::initializer_list<QVariant> values = {});
    // The first column of the first row, or nothing.
    std::optional<QVariant> value(const QString& sql, std::initializer_list<QVariant> values = {}) const;

    // A fresh random identifier of `bytes` random bytes, as lower-case hexadecimal.
    static QString randomHex(int bytes);
    // Now, as the timestamps the service sends: ISO 8601 in UTC with milliseconds.
    static QString now();

private:
    bool createTables();

    QString m_connection;
    QSqlDatabase m_database;
    bool m_open = false;
    QString m_error;
};
