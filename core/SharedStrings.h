#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <string_view>
#include <unordered_map>

// Hands out one QString per distinct text, so that texts repeated across
// thousands of records (category keys, tags, creators, colours) are held once
// and shared. The views must outlive the table: it is meant for one decode.
// Past maxDistinct texts new ones are no longer remembered, which bounds the
// table for input made of nothing but distinct texts.
class SharedStrings
{
public:
    static constexpr size_t maxDistinct = 1 << 16;

    QString text(std::string_view utf8)
    {
        if (const auto found = m_texts.find(utf8); found != m_texts.end())
            return found->second;
        QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        if (m_texts.size() < maxDistinct)
            m_texts.emplace(utf8, text);
        return text;
    }

    // The same for lists of texts (tags, colours): an equal list seen before
    // is handed out instead, so records share one.
    QStringList list(QStringList texts)
    {
        if (const auto found = m_lists.constFind(texts); found != m_lists.cend())
            return *found;
        if (size_t(m_lists.size()) < maxDistinct)
            m_lists.insert(texts);
        return texts;
    }

private:
    std::unordered_map<std::string_view, QString> m_texts;
    QSet<QStringList> m_lists;
};
