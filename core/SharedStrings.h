#pragma once

#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// UTF-8 text as it stands, a leading U+FEFF kept: QString::fromUtf8 takes
// one at the start for a byte-order mark and drops it.
inline QString textFromUtf8(std::string_view utf8)
{
    if (!utf8.starts_with("\xEF\xBB\xBF"))
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

// Hands out one QString per distinct text, so that texts repeated across
// thousands of records (category keys, tags, creators, colours) are held once
// and shared. It keeps its own copy of each text it remembers, so the bytes
// it is handed may go once a text is looked up. Past maxDistinct texts new ones are no longer remembered, which bounds the
// table for input made of nothing but distinct texts.
class SharedStrings
{
public:
    static constexpr size_t maxDistinct = 1 << 16;

    QString text(std::string_view utf8)
    {
        if (const auto found = m_texts.find(utf8); found != m_texts.end())
            return found->second;
        QString text = textFromUtf8(utf8);
        if (m_texts.size() < maxDistinct)
            m_texts.emplace(std::string(utf8), text);
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
    // Looked up by view, without making a string per lookup.
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_texts;
    QSet<QStringList> m_lists;
};
