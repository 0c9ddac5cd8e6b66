#include "UserDefaults.h"

#include "UserHome.h"

using namespace Qt::StringLiterals;

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(UserHome::path() + u"/.config/lanto/user-defaults.conf"_s);
    return defaults;
}

UserDefaults::UserDefaults(const QString& path, QObject* parent)
    : QObject(parent), m_store(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
    // Written through a temporary file and a rename, never in place.
    m_store->setAtomicSyncRequired(true);
}

bool UserDefaults::contains(const QString& key) const { return m_store->contains(key); }

std::optional<bool> UserDefaults::boolValue(const QString& key) const
{
    const QVariant value = m_store->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true"_s || text == u"1"_s)
        return true;
    if (text == u"false"_s || text == u"0"_s)
        return false;
    return std::nullopt;
}

std::optional<QString> UserDefaults::string(const QString& key) const
{
    if (!m_store->contains(key))
        return std::nullopt;
    return m_store->value(key).toString();
}

void UserDefaults::setBool(const QString& key, bool value) { write(key, value); }

void UserDefaults::setString(const QString& key, const QString& value) { write(key, value); }

void UserDefaults::write(const QString& key, const QVariant& value)
{
    m_store->setValue(key, value);
    m_store->sync();
    emit valueChanged(key);
}
