#include "AppLanguage.h"

#include "LocaleName.h"
#include "UserDefaults.h"

namespace {

// Identifiers are short; anything else in the file is not one.
constexpr qsizetype maxIdentifierLength = 32;

} // namespace

AppLanguage::AppLanguage(UserDefaults& defaults, QObject* parent) : QObject(parent), m_defaults(defaults)
{
    m_language = stored();
    takeEffect();
    // The settings screen writes the key itself.
    connect(&defaults, &UserDefaults::valueChanged, this, [this](const QString& changed) {
        if (changed != key || stored() == m_language)
            return;
        m_language = stored();
        takeEffect();
        emit languageChanged();
    });
}

void AppLanguage::takeEffect() const
{
    // Numbers, dates and wallpaper titles of every screen made from now on.
    QLocale::setDefault(locale());
    LocaleName::choose(m_language);
}

QString AppLanguage::stored() const
{
    const QString text = m_defaults.string(key).value_or(QString());
    return text.size() <= maxIdentifierLength ? text : QString();
}

void AppLanguage::setLanguage(const QString& language)
{
    if (m_language == language || language.size() > maxIdentifierLength)
        return;
    m_defaults.setString(key, language);
}

QLocale AppLanguage::locale() const { return m_language.isEmpty() ? QLocale::system() : QLocale(m_language); }
