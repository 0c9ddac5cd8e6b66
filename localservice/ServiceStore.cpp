#include "ServiceStore.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace {

const char* const schema[] = {
    R"(CREATE TABLE IF NOT EXISTS users (
        id TEXT PRIMARY KEY,
        apple_user_id TEXT UNIQUE,
        name TEXT NOT NULL,
        handle TEXT UNIQUE COLLATE NOCASE,
        avatar_color TEXT,
        avatar_url TEXT,
        bio TEXT,
        link TEXT,
        email TEXT,
        is_verified INTEGER NOT NULL DEFAULT 0,
        follower_count INTEGER NOT NULL DEFAULT 0,
        created_at TEXT NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS sessions (
        token TEXT PRIMARY KEY,
        user_id TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
        created_at TEXT NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS sign_in_codes (
        code TEXT PRIMARY KEY,
        apple_user_id TEXT NOT NULL,
        name TEXT NOT NULL,
        expires_at INTEGER NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS tags (
        id TEXT PRIMARY KEY,
        name TEXT NOT NULL,
        group_name TEXT NOT NULL,
        sort_order INTEGER NOT NULL,
        parent_id TEXT))",
    R"(CREATE TABLE IF NOT EXISTS wallpapers (
        id TEXT PRIMARY KEY,
        owner_id TEXT NOT NULL REFERENCES users(id),
        title TEXT NOT NULL,
        type TEXT NOT NULL,
        category TEXT NOT NULL,
        width INTEGER NOT NULL,
        height INTEGER NOT NULL,
        file_size INTEGER NOT NULL,
        tags TEXT NOT NULL DEFAULT '[]',
        preview_colors TEXT,
        download_count INTEGER NOT NULL DEFAULT 0,
        favorite_count INTEGER NOT NULL DEFAULT 0,
        apply_count INTEGER NOT NULL DEFAULT 0,
        trend_count INTEGER NOT NULL DEFAULT 0,
        status TEXT NOT NULL,
        media_id TEXT NOT NULL,
        featured INTEGER NOT NULL DEFAULT 0,
        pick INTEGER NOT NULL DEFAULT 0,
        free INTEGER NOT NULL DEFAULT 0,
        created_at TEXT NOT NULL,
        updated_at TEXT NOT NULL))",
    "CREATE INDEX IF NOT EXISTS wallpapers_by_category ON wallpapers(category, status, created_at)",
    "CREATE INDEX IF NOT EXISTS wallpapers_by_owner ON wallpapers(owner_id, created_at)",
    "CREATE INDEX IF NOT EXISTS wallpapers_by_media ON wallpapers(media_id)",
    R"(CREATE TABLE IF NOT EXISTS media_files (
        media_id TEXT NOT NULL,
        slot TEXT NOT NULL,
        file_name TEXT NOT NULL,
        content_type TEXT NOT NULL,
        size INTEGER NOT NULL,
        PRIMARY KEY (media_id, slot)))",
    R"(CREATE TABLE IF NOT EXISTS favorites (
        user_id TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
        wallpaper_id TEXT NOT NULL REFERENCES wallpapers(id) ON DELETE CASCADE,
        PRIMARY KEY (user_id, wallpaper_id)))",
    R"(CREATE TABLE IF NOT EXISTS uploads (
        upload_id TEXT PRIMARY KEY,
        wallpaper_id TEXT NOT NULL REFERENCES wallpapers(id) ON DELETE CASCADE,
        slot TEXT NOT NULL,
        upload_key TEXT NOT NULL,
        content_type TEXT NOT NULL,
        completed INTEGER NOT NULL DEFAULT 0,
        touched_at INTEGER NOT NULL DEFAULT 0))",
    R"(CREATE TABLE IF NOT EXISTS upload_parts (
        upload_id TEXT NOT NULL REFERENCES uploads(upload_id) ON DELETE CASCADE,
        part_number INTEGER NOT NULL,
        size INTEGER NOT NULL,
        etag TEXT NOT NULL,
        PRIMARY KEY (upload_id, part_number)))",
};

} // namespace

ServiceStore::ServiceStore(const QString& databaseFile)
    : m_connection(u"lanto-service-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    m_database = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    m_database.setDatabaseName(databaseFile);
    // Another process may hold the write lock for a moment (the review command).
    m_database.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
    if (!m_database.open()) {
        m_error = m_database.lastError().text();
        return;
    }
    m_open = run(u"PRAGMA journal_mode=WAL"_s) && run(u"PRAGMA synchronous=FULL"_s)
        && run(u"PRAGMA foreign_keys=ON"_s) && createTables();
}

ServiceStore::~ServiceStore()
{
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool ServiceStore::createTables()
{
    return transaction([this] {
        for (const char* statement : schema) {
            if (!run(QString::fromLatin1(statement)))
                return false;
        }
        // Stores made before uploads kept the time of their last part: those count from now.
        if (value(u"SELECT 1 FROM pragma_table_info('uploads') WHERE name = 'touched_at'"_s))
            return true;
        return run(u"ALTER TABLE uploads ADD COLUMN touched_at INTEGER NOT NULL DEFAULT 0"_s)
            && run(u"UPDATE uploads SET touched_at = ?"_s, { QDateTime::currentSecsSinceEpoch() });
    });
}

bool ServiceStore::transaction(const std::function<bool()>& change)
{
    if (!m_database.transaction()) {
        m_error = m_database.lastError().text();
        return false;
    }
    if (!change()) {
        m_database.rollback();
        return false;
    }
    if (!m_database.commit()) {
        m_error = m_database.lastError().text();
        m_database.rollback();
        return false;
    }
    return true;
}

QSqlQuery ServiceStore::query(const QString& sql, std::initializer_list<QVariant> values) const
{
    QSqlQuery statement(m_database);
    statement.setForwardOnly(true);
    statement.prepare(sql);
    for (const QVariant& value : values)
        statement.addBindValue(value);
    return statement;
}

bool ServiceStore::run(const QString& sql, std::initializer_list<QVariant> values)
{
    QSqlQuery statement = query(sql, values);
    if (!statement.exec()) {
        m_error = statement.lastError().text();
        return false;
    }
    return true;
}

std::optional<int> ServiceStore::change(const QString& sql, std::initializer_list<QVariant> values)
{
    QSqlQuery statement = query(sql, values);
    if (!statement.exec()) {
        m_error = statement.lastError().text();
        return std::nullopt;
    }
    return statement.numRowsAffected();
}

std::optional<QVariant> ServiceStore::value(const QString& sql, std::initializer_list<QVariant> values) const
{
    QSqlQuery statement = query(sql, values);
    if (!statement.exec() || !statement.next())
        return std::nullopt;
    return statement.value(0);
}

QString ServiceStore::randomHex(int bytes)
{
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(random.begin(), random.end());
    return QString::fromLatin1(random.toHex());
}

QString ServiceStore::now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}
