#include "LanguageListModel.h"

#include <array>

namespace {

struct Language
{
    const char* code;
    const char* name;
};

// Each language under its own name, never translated.
constexpr std::array<Language, 21> languages { {
    { "", "" },
    { "en", "English" },
    { "ja", "日本語" },
    { "zh-Hans", "简体中文" },
    { "zh-Hant", "繁體中文" },
    { "ko", "한국어" },
    { "es", "Español" },
    { "fr", "Français" },
    { "de", "Deutsch" },
    { "pt-BR", "Português (Brasil)" },
    { "it", "Italiano" },
    { "ru", "Русский" },
    { "tr", "Türkçe" },
    { "ar", "العربية" },
    { "nl", "Nederlands" },
    { "pl", "Polski" },
    { "th", "ไทย" },
    { "uk", "Українська" },
    { "hi", "हिन्दी" },
    { "id", "Bahasa Indonesia" },
    { "vi", "Tiếng Việt" },
} };

} // namespace

LanguageListModel::LanguageListModel(QObject* parent) : QAbstractListModel(parent) {}

int LanguageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(languages.size());
}

QVariant LanguageListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Language& language = languages[size_t(index.row())];
    switch (role) {
    case CodeRole:
        return QString::fromUtf8(language.code);
    case NameRole:
        return QString::fromUtf8(language.name);
    default:
        return {};
    }
}

QHash<int, QByteArray> LanguageListModel::roleNames() const
{
    return { { CodeRole, "code" }, { NameRole, "name" } };
}

int LanguageListModel::indexOf(const QString& code) const
{
    for (size_t row = 0; row < languages.size(); ++row)
        if (code == QString::fromUtf8(languages[row].code))
            return int(row);
    return 0;
}
