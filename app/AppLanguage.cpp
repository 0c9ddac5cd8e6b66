#include "AppLanguage.h"

#include "UserDefaults.h"

namespace {

// Identifiers are short; anything else in the file is not one.
constexpr qsizetype maxIdentifierLength = 32;

} // namespace

AppLanguage::AppLanguage(UserDefaults& defaults, QObject* parent) : QObject(parent), m_defaults(defaults)
{
    const QString stored = defaults.string(key).value_or(QString());
    if (stored.size() <= maxIdentifierLength)
        m_language = stored;
}

void AppLanguage::setLanguage(const QString& language)
{
    if (m_language == language || language.size() > maxIdentifierLength)
        return;
    m_language = language;
    m_defaults.setString(key, language);
    emit languageChanged();
}

QLocale AppLanguage::locale() const { return m_language.isEmpty() ? QLocale::system() : QLocale(m_language); }
