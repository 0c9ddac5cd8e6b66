#include "CatalogueArray.h"

#include "CatalogueReader.h"

#include <QThread>
#include <QThreadPool>

#include <sys/mman.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

using simdjson::ondemand::json_type;

namespace {

static_assert(CatalogueArray::paddingBytes >= qsizetype(simdjson::SIMDJSON_PADDING));

// Records a thread reads at a time. Shorter arrays are read by the calling
// thread alone: starting helpers would cost more than it saves.
constexpr size_t chunkRecords = 512;
constexpr size_t minRecordsToShare = 4 * chunkRecords;
// Records the first wave of a long array makes room for before any is read:
// enough chunks to keep every thread busy, a few megabytes at most.
constexpr size_t firstWaveRecords = 32 * chunkRecords;

// Where the elements of one wave of a long array stand in the document, so
// that each can be read as a document of its own. The starts of the wave's
// elements may be followed by that of the next element, where the last one ends.
struct Elements
{
    std::vector<const char*> starts;
    size_t count = 0; // elements in the wave
    const char* arrayEnd = nullptr; // the closing bracket
    const char* bufferEnd = nullptr; // past the padding
};

// The list of a long array is tens of megabytes written front to back:
// in pages of 2 MB it costs a few page faults instead of thousands, which is
// most of the time of making it. Only whole huge pages inside the block are named.
void adviseHugePages(const void* block, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t hugePage = uintptr_t(2) << 20;
    const uintptr_t from = (uintptr_t(block) + hugePage - 1) & ~(hugePage - 1);
    const uintptr_t to = (uintptr_t(block) + bytes) & ~(hugePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE); // advice only: a refusal changes nothing
#else
    Q_UNUSED(block);
    Q_UNUSED(bytes);
#endif
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The element's bytes without the separator and spaces behind it.
std::string_view elementText(const Elements& elements, size_t index)
{
    const char* begin = elements.starts[index];
    const char* end = index + 1 < elements.starts.size() ? elements.starts[index + 1] : elements.arrayEnd;
    while (end > begin && isSpace(end[-1]))
        --end;
    if (index + 1 < elements.starts.size() && end > begin && end[-1] == ',')
        --end;
    while (end > begin && isSpace(end[-1]))
        --end;
    return std::string_view(begin, size_t(end - begin));
}

// The elements of a long array read on several threads. The caller takes
// chunks too, and waits only for the chunks helpers have begun, so it never
// waits on a pool that has no thread free for the helpers.
class SharedRead
{
public:
    SharedRead(const Elements& elements, APIWallpaper* out)
        : m_elements(elements), m_out(out), m_chunks((elements.count + chunkRecords - 1) / chunkRecords)
    {
    }

    // Takes chunks until none is left.
    void work()
    {
        std::optional<simdjson::ondemand::parser> parser;
        CatalogueReader reader;
        for (size_t chunk = m_next++; chunk < m_chunks; chunk = m_next++) {
            if (!parser) {
                // Nested one level less than in the whole document: the same depth limit as there.
                parser.emplace();
                if (parser->allocate(64 * 1024, simdjson::DEFAULT_MAX_DEPTH - 1))
                    fail();
            }
            if (!m_failed)
                readChunk(*parser, reader, chunk);
            if (reader.passedOverFailedField())
                m_passedOver = true;
            finishChunk();
        }
    }

    void waitForAll()
    {
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_done == m_chunks; });
    }

    bool failed() const { return m_failed; }
    bool passedOverFailedField() const { return m_passedOver; }

private:
    void readChunk(simdjson::ondemand::parser& parser, CatalogueReader& reader, size_t chunk)
    {
        const size_t end = std::min((chunk + 1) * chunkRecords, m_elements.count);
        for (size_t index = chunk * chunkRecords; index < end; ++index) {
            const std::string_view text = elementText(m_elements, index);
            const size_t room = size_t(m_elements.bufferEnd - text.data());
            simdjson::ondemand::document document;
            CatalogueReader::Value value;
            if (parser.iterate(simdjson::padded_string_view(text.data(), text.size(), room)).get(document)
                || document.get_value().get(value) || !reader.readWallpaper(value, m_out[index], 1)
                || !CatalogueReader::atEnd(document)) {
                fail();
                return;
            }
        }
    }

    void fail() { m_failed = true; }

    void finishChunk()
    {
        std::lock_guard lock(m_mutex);
        if (++m_done == m_chunks)
            m_finished.notify_all();
    }

    const Elements& m_elements;
    APIWallpaper* const m_out;
    const size_t m_chunks;
    std::atomic<size_t> m_next{0};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_passedOver{false};
    std::mutex m_mutex;
    std::condition_variable m_finished;
    size_t m_done = 0;
};

// Reads the elements of a wave into out, which holds one default record per element.
bool readShared(const Elements& elements, APIWallpaper* out, bool* passedOver)
{
    auto read = std::make_shared<SharedRead>(elements, out);
    const int helpers = std::max(0, QThread::idealThreadCount() - 1);
    // A helper that starts after the chunks are gone finds none and ends at once.
    for (int i = 0; i < helpers; ++i)
        QThreadPool::globalInstance()->start([read] { read->work(); });
    read->work();
    read->waitForAll();
    *passedOver = *passedOver || read->passedOverFailedField();
    return !read->failed();
}

// The records one after another on this thread.
bool readInTurn(simdjson::ondemand::array& array, QList<APIWallpaper>& records, bool* passedOver)
{
    CatalogueReader reader;
    for (auto element : array) {
        CatalogueReader::Value item;
        if (std::move(element).get(item))
            return false;
        // Read in place: a record is large, and moving each one in costs as much as reading it.
        if (!reader.readWallpaper(item, records.emplaceBack(), 1))
            return false;
    }
    *passedOver = reader.passedOverFailedField();
    return true;
}

// Walks a long array a wave at a time, finding where each element starts and
// passing over its contents (each is checked when it is read).
class ElementWalk
{
public:
    ElementWalk(simdjson::ondemand::array& array, const CatalogueReader::Padded& padded)
    {
        const simdjson::padded_string_view view = padded.view();
        const char* end = view.data() + view.size();
        while (end > view.data() && isSpace(end[-1]))
            --end;
        m_valid = end > view.data() && end[-1] == ']' && !array.begin().get(m_next) && !array.end().get(m_end);
        m_arrayEnd = m_valid ? end - 1 : nullptr;
        m_bufferEnd = view.data() + view.capacity();
    }

    // The next count elements; false when the JSON is bad or the array ends first.
    bool take(size_t count, Elements& elements)
    {
        elements.starts.clear();
        elements.count = count;
        elements.arrayEnd = m_arrayEnd;
        elements.bufferEnd = m_bufferEnd;
        if (m_carried)
            elements.starts.push_back(std::exchange(m_carried, nullptr));
        for (; m_valid && elements.starts.size() <= count && m_next != m_end; ++m_next) {
            CatalogueReader::Value item;
            const char* start = nullptr;
            if ((*m_next).get(item) || item.current_location().get(start))
                return m_valid = false;
            elements.starts.push_back(start);
        }
        if (elements.starts.size() > count)
            m_carried = elements.starts.back();
        return m_valid && elements.starts.size() >= count;
    }

private:
    simdjson::ondemand::array_iterator m_next;
    simdjson::ondemand::array_iterator m_end;
    const char* m_carried = nullptr; // the first element of the next wave, found with this one
    const char* m_arrayEnd = nullptr;
    const char* m_bufferEnd = nullptr;
    bool m_valid = false;
};

// Moves the records into a list with room for exactly room records, made
// in huge pages before anything is written to it.
void makeRoom(QList<APIWallpaper>& records, size_t room)
{
    static_assert(std::is_nothrow_move_constructible_v<APIWallpaper>); // else append() copies
    QList<APIWallpaper> larger;
    larger.reserve(qsizetype(room));
    adviseHugePages(larger.constData(), room * sizeof(APIWallpaper));
    larger.append(std::move(records));
    records = std::move(larger);
}

// The elements of a long array, read on several threads a wave at a time.
// Room is made only for as many records as those already read vouch for (a
// few times as many), so an array of things that are not records is refused
// after its first wave, in little memory.
bool readInWaves(simdjson::ondemand::array& array, const CatalogueReader::Padded& padded, size_t count,
                 QList<APIWallpaper>& records, bool* passedOver)
{
    ElementWalk walk(array, padded);
    Elements elements;
    elements.starts.reserve(std::min(count, firstWaveRecords) + 1);
    while (size_t(records.size()) < count) {
        const size_t done = size_t(records.size());
        const size_t room = std::min(count, std::max(firstWaveRecords, 4 * done));
        if (!walk.take(room - done, elements))
            return false;
        makeRoom(records, room);
        records.resize(qsizetype(room));
        if (!readShared(elements, records.data() + done, passedOver))
            return false;
    }
    return true;
}

} // namespace

std::optional<QList<APIWallpaper>> CatalogueArray::decode(QByteArray json)
{
    const CatalogueReader::Padded padded(std::move(json));
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document document;
    if (parser.iterate(padded.view()).get(document))
        return std::nullopt;
    json_type type;
    simdjson::ondemand::array array;
    if (document.type().get(type) || type != json_type::array || document.get_array().get(array))
        return std::nullopt;
    QList<APIWallpaper> records;
    // Counting skips over the structure already indexed: cheaper than growing the list.
    size_t count = 0;
    if (array.count_elements().get(count))
        return std::nullopt;
    bool passedOver = false;
    if (count < minRecordsToShare) {
        records.reserve(qsizetype(count));
        if (!readInTurn(array, records, &passedOver))
            return std::nullopt;
    } else if (!readInWaves(array, padded, count, records, &passedOver)) {
        return std::nullopt;
    }
    if (!CatalogueReader::atEnd(document) || (passedOver && !CatalogueReader::isStrictJson(padded.view())))
        return std::nullopt;
    return records;
}
