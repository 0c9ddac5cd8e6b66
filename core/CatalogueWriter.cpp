#include "CatalogueWriter.h"

#include <charconv>
#include <string_view>

namespace {

bool isPlain(char16_t u) { return u >= 0x20 && u < 0x80 && u != '"' && u != '\\'; }

// UTF-8 bytes with quotes, backslashes and control characters escaped the way QJsonDocument does.
void appendEscaped(QByteArray& out, const QByteArray& utf8)
{
    static constexpr char hex[] = "0123456789abcdef";
    const char* run = utf8.constData();
    const char* const end = run + utf8.size();
    for (const char* p = run; p != end; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        if (b >= 0x80 || isPlain(b))
            continue;
        out.append(run, p - run);
        run = p + 1;
        switch (b) {
        case '"': out.append("\\\"", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\b': out.append("\\b", 2); break;
        case '\f': out.append("\\f", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\t': out.append("\\t", 2); break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', hex[b >> 4], hex[b & 0xF]};
            out.append(escape, sizeof escape);
        }
        }
    }
    out.append(run, end - run);
}

void appendText(QByteArray& out, const QString& text)
{
    // Most texts are plain ASCII: written straight, without converting them first.
    const qsizetype start = out.size();
    const qsizetype length = text.size();
    out.resize(start + length + 2);
    char* to = out.data() + start;
    const char16_t* from = reinterpret_cast<const char16_t*>(text.constData());
    *to++ = '"';
    for (qsizetype i = 0; i < length; ++i) {
        if (!isPlain(from[i])) {
            out.resize(start + 1);
            appendEscaped(out, text.toUtf8());
            out.append('"');
            return;
        }
        to[i] = char(from[i]);
    }
    to[length] = '"';
}

void appendNumber(QByteArray& out, qint64 value)
{
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, written.ptr - digits);
}

// Writes the fields of one object in order, each after its key and a separating comma.
class Fields
{
public:
    explicit Fields(QByteArray& out) : m_out(out) { m_out.append('{'); }
    ~Fields() { m_out.append('}'); }

    Fields(const Fields&) = delete;
    Fields& operator=(const Fields&) = delete;

    QByteArray& key(std::string_view name)
    {
        if (!m_first)
            m_out.append(',');
        m_first = false;
        m_out.append('"');
        m_out.append(name.data(), qsizetype(name.size()));
        m_out.append("\":", 2);
        return m_out;
    }
    void text(std::string_view name, const QString& value) { appendText(key(name), value); }
    void text(std::string_view name, const std::optional<QString>& value)
    {
        if (value)
            text(name, *value);
    }
    void number(std::string_view name, qint64 value) { appendNumber(key(name), value); }
    void number(std::string_view name, const std::optional<qint64>& value)
    {
        if (value)
            number(name, *value);
    }
    void boolean(std::string_view name, bool value)
    {
        key(name).append(value ? std::string_view("true") : std::string_view("false"));
    }
    void texts(std::string_view name, const QStringList& values)
    {
        QByteArray& out = key(name);
        out.append('[');
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendText(out, values.at(i));
        }
        out.append(']');
    }
    void texts(std::string_view name, const std::optional<QStringList>& values)
    {
        if (values)
            texts(name, *values);
    }
    void titles(std::string_view name, const std::optional<QMap<QString, QString>>& titles)
    {
        if (!titles)
            return;
        QByteArray& out = key(name);
        out.append('{');
        // A map iterates in the order a JSON object sorts its keys.
        for (auto it = titles->cbegin(); it != titles->cend(); ++it) {
            if (it != titles->cbegin())
                out.append(',');
            appendText(out, it.key());
            out.append(':');
            appendText(out, it.value());
        }
        out.append('}');
    }

private:
    QByteArray& m_out;
    bool m_first = true;
};

void appendProfile(QByteArray& out, const APIProfile& profile)
{
    Fields fields(out);
    fields.text("avatarUrl", profile.avatarUrl);
    fields.text("id", profile.id);
    fields.boolean("isVerified", profile.isVerified);
    fields.text("name", profile.name);
}

void appendCategory(QByteArray& out, const APICategory& category)
{
    Fields fields(out);
    fields.text("createdAt", category.createdAt);
    fields.text("icon", category.icon);
    fields.text("id", category.id);
    fields.text("name", category.name);
    fields.number("sortOrder", category.sortOrder);
}

} // namespace

namespace CatalogueWriter {

void append(QByteArray& out, const APIWallpaper& w)
{
    // Keys in the order a JSON object sorts them.
    Fields fields(out);
    fields.number("applyCount", w.applyCount);
    appendCategory(fields.key("category"), w.category);
    fields.text("contentPath", w.contentPath);
    fields.text("createdAt", w.createdAt);
    fields.number("downloadCount", w.downloadCount);
    fields.number("favoriteCount", w.favoriteCount);
    fields.number("fileSize", w.fileSize);
    fields.text("id", w.id);
    fields.titles("localizedTitles", w.localizedTitles);
    fields.text("posterPath", w.posterPath);
    fields.text("previewClipPath", w.previewClipPath);
    fields.texts("previewColors", w.previewColors);
    appendProfile(fields.key("profile"), w.profile);
    fields.number("resolutionHeight", w.resolutionHeight);
    fields.number("resolutionWidth", w.resolutionWidth);
    fields.text("status", w.status);
    fields.texts("tags", w.tags);
    fields.text("thumbnailPath", w.thumbnailPath);
    fields.text("title", w.title);
    fields.number("trendCount", w.trendCount);
    fields.text("type", w.type);
    fields.text("updatedAt", w.updatedAt);
}

bool ArrayStream::add(const APIWallpaper& record)
{
    if (!m_first)
        m_buffer.append(',');
    m_first = false;
    append(m_buffer, record);
    return m_buffer.size() < flushBytes || flush();
}

bool ArrayStream::finish()
{
    m_buffer.append(']');
    return flush() && !m_failed;
}

bool ArrayStream::flush()
{
    if (!m_failed && m_device.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.resize(0);
    return !m_failed;
}

} // namespace CatalogueWriter
