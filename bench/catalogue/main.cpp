// Measures what a large catalogue costs the library: decoding the service's
// records, merging them into the library, and writing wallpaper-cache.json,
// for 1k, 10k and 50k records, against Python's json module doing the same
// decode, merge by id and compact write in the same run. Then runs a whole
// library (start-up cache load and one refresh of 50k records) while a 1 ms
// heartbeat on the main thread records the longest gap between beats. When
// the build has lanto-service, also fetches its --records 10000 catalogue
// through the real client and times the library's part of taking it in.

#include "BenchFigures.h"
#include "CatalogueCache.h"
#include "CatalogueWriter.h"
#include "CatalogueSource.h"
#include "ChunkedMap.h"
#include "CloudService.h"
#include "FakeDisplays.h"
#include "LantoSettings.h"
#include "ScreenRecords.h"
#include "TemporaryHome.h"
#include "ThumbnailSource.h"
#include "AccountSource.h"
#include "WallpaperList.h"
#include "DesktopShows.h"
#include "LockScreen.h"
#include "WallpaperManager.h"
#include "WallpaperService.h"
#include "ServiceRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPromise>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

using BenchFigures::loadAverage;

APIWallpaper record(int n)
{
    APIWallpaper w;
    w.id = QStringLiteral("%1").arg(n, 24, 16, QLatin1Char('0'));
    w.title = QStringLiteral("Wallpaper number %1").arg(n);
    w.type = QStringLiteral("video");
    w.resolutionWidth = n % 5 == 0 ? 5120 : 3840;
    w.resolutionHeight = n % 5 == 0 ? 1440 : 2160;
    w.fileSize = 80'000'000 + n;
    w.thumbnailPath = QStringLiteral("https://cdn.example.com/thumbnails/") + w.id + QStringLiteral(".jpg");
    w.contentPath = QStringLiteral("https://cdn.example.com/content/") + w.id + QStringLiteral(".mov");
    w.posterPath = QStringLiteral("https://cdn.example.com/posters/") + w.id + QStringLiteral(".png");
    w.previewColors = QStringList{QStringLiteral("#6644CC"), QStringLiteral("#4466CC"), QStringLiteral("#112233")};
    w.downloadCount = n * 7 % 1000;
    w.favoriteCount = n % 300;
    w.createdAt = w.updatedAt = QStringLiteral("2026-03-01T12:00:00.000Z");
    w.profile.id = QStringLiteral("0123456789abcdef01234567");
    w.profile.name = QStringLiteral("Creator");
    w.category.id = QStringLiteral("cat-nature");
    w.category.name = QStringLiteral("Nature");
    w.category.icon = QStringLiteral("leaf");
    w.tags = QStringList{QStringLiteral("ocean"), QStringLiteral("calm")};
    return w;
}

QList<APIWallpaper> records(int count)
{
    QList<APIWallpaper> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append(record(i));
    return list;
}

// Made one record at a time, so the peak memory reported is the library's,
// not that of a list of every record held while the text is made.
QByteArray serviceJson(int count)
{
    QByteArray json = "[";
    json.reserve(qsizetype(count) * 800);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            json += ',';
        CatalogueWriter::append(json, record(i));
    }
    json += ']';
    return json;
}

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// The reference: Python's json module decoding the same bytes, merging by id
// into a catalogue that holds half of them, and writing the result compactly.
double pythonMilliseconds(const QString& input, const QString& output)
{
    static const char* script = R"(
import json, sys, time
src, dst = sys.argv[1], sys.argv[2]
start = time.perf_counter()
with open(src, 'rb') as f:
    records = json.load(f)
library = {r['id']: r for r in records[: len(records) // 2]}
for r in records:
    library[r['id']] = r
with open(dst, 'w') as f:
    json.dump(list(library.values()), f, separators=(',', ':'))
print((time.perf_counter() - start) * 1000)
)";
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), input, output});
    if (!python.waitForFinished(600'000) || python.exitCode() != 0)
        return -1;
    return python.readAllStandardOutput().trimmed().toDouble();
}

struct Timing
{
    double decode = 0, convert = 0, merge = 0, write = 0;
    double total() const { return decode + convert + merge + write; }
};

// Convert, merge into a library that knows half of them, and write the cache file.
void takeIn(const QList<APIWallpaper>& decoded, const QString& cachePath, Timing& t)
{
    QElapsedTimer clock;
    clock.start();
    const QList<Wallpaper> wallpapers = mapInChunks(decoded, &Wallpaper::fromAPIWallpaper).result();
    t.convert = clock.nsecsElapsed() / 1e6;

    WallpaperList library;
    library.merge(wallpapers.mid(0, wallpapers.size() / 2));
    clock.restart();
    library.merge(wallpapers);
    t.merge = clock.nsecsElapsed() / 1e6;

    CatalogueCache cache(cachePath);
    clock.restart();
    cache.save(decoded).waitForFinished();
    t.write = clock.nsecsElapsed() / 1e6;
}

Timing measure(int count, const QString& dir, double* reference)
{
    const QString input = dir + QStringLiteral("/service-%1.json").arg(count);
    QByteArray json = serviceJson(count);
    {
        QFile file(input);
        file.open(QIODevice::WriteOnly);
        file.write(json);
    }

    Timing t;
    QElapsedTimer clock;
    clock.start();
    // Handed over as the cache's own reader does, so it is read in place.
    const QList<APIWallpaper> decoded = CatalogueCache::decode(std::move(json)).value_or(QList<APIWallpaper>{});
    t.decode = clock.nsecsElapsed() / 1e6;
    takeIn(decoded, dir + QStringLiteral("/cache-%1.json").arg(count), t);
    *reference = pythonMilliseconds(input, dir + QStringLiteral("/python-%1.json").arg(count));
    return t;
}

// The 10k catalogue of a local lanto-service through the real client; -1 when there is none.
double serviceCase(const QString& dir)
{
    const QString program = serviceProgram();
    if (program.isEmpty()) {
        std::printf("lanto-service: not in this build; its case is skipped\n");
        return -1;
    }
    // Kept beside the build, so only the first run waits for the service's sample files.
    const QString data = QCoreApplication::applicationDirPath() + QStringLiteral("/service-data");
    const std::optional<ServiceCatalogue> fetched = fetchFromService(program, data, 10000);
    if (!fetched)
        return -1;
    Timing t;
    takeIn(fetched->records, dir + QStringLiteral("/cache-service.json"), t);
    std::printf("lanto-service: %lld records fetched through the client in %.1f ms; convert %.1f ms, merge %.1f ms, "
                "write %.1f ms, total %.1f ms\n",
                qint64(fetched->records.size()), fetched->fetchMilliseconds, t.convert, t.merge, t.write, t.total());
    return t.total();
}

class BenchCatalogue final : public CatalogueSource
{
public:
    explicit BenchCatalogue(QList<APIWallpaper> rows) : m_rows(std::move(rows)) {}
    QFuture<Result<DiscoverResponse>> fetchDiscover() override
    {
        DiscoverResponse discover;
        discover.featured = m_rows.mid(0, 10);
        discover.trending = m_rows;
        return QtFuture::makeReadyFuture(Result<DiscoverResponse>(discover));
    }
    QFuture<Result<TagGroups>> fetchTags() override { return QtFuture::makeReadyFuture(Result<TagGroups>(TagGroups{})); }
    QFuture<Result<QList<APIWallpaper>>> fetchWallpapers(const QString&) override
    {
        return QtFuture::makeReadyFuture(Result<QList<APIWallpaper>>(QList<APIWallpaper>{}));
    }

private:
    QList<APIWallpaper> m_rows;
};

class NoThumbnails final : public ThumbnailSource
{
public:
    QFuture<std::optional<QUrl>> fetchThumbnail(const QString&, const QString&) override
    {
        return QtFuture::makeReadyFuture(std::optional<QUrl>());
    }
};

class NoScreens final : public ScreenRecords
{
public:
    QList<ScreenModel> connectedScreens() const override { return {}; }
    void setOnScreensChanged(std::function<void()>) override {}
};

// The parts of the library a refresh never reaches.
class Idle final : public WallpaperService, public DesktopShows, public LockScreen
{
public:
    bool isSignedIn() const override { return false; }
    void recordEvent(UsageEvent, const QString&) override {}
    QFuture<std::optional<QString>> syncFavorite(const QString&, bool) override
    {
        return QtFuture::makeReadyFuture(std::optional<QString>());
    }
    void withdrawSubmission(const QString&) override {}
    QFuture<Fetched<QUrl>> downloadContent(const QString&, const QString&, const std::optional<QString>&,
                                           std::function<void(double)>) override
    {
        return QtFuture::makeReadyFuture(Fetched<QUrl>::failed(QStringLiteral("not in the benchmark")));
    }
    ScreenModelMap screenModels() const override { return {}; }
    void setWallpaperID(const QString&, const QUuid&) override {}
    void showPicture(const QUrl&, const std::optional<QString>&) override {}
    void showVideo(const QUrl&, const std::optional<QString>&) override {}
    void removeWallpaper(const std::optional<QString>&) override {}
    void inject(const Wallpaper&, const std::optional<QString>&) override {}
    void remove(const Wallpaper&) override {}
};

class SignedOut final : public AccountSource
{
public:
    SignedInAccount currentAccount() const override { return {}; }
};

double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// How long the main thread went without running its 1 ms heartbeat while a
// library started from a 50k cache and refreshed 50k records: the longest gap
// in wall time, and the longest stretch of the main thread's own CPU time
// between beats (the work it did, apart from waiting for a core on a loaded
// machine). The CPU figure is the one reported.
double longestMainThreadBlock(const TemporaryHome& home, const QList<APIWallpaper>& catalogue)
{
    const QString support = home.appSupportPath();
    QDir().mkpath(support);
    CatalogueCache(support + QStringLiteral("/wallpaper-cache.json")).save(catalogue).waitForFinished();

    MainThreadScheduler scheduler;
    LantoSettings settings(support, scheduler);
    CloudService cloud(support);
    BenchCatalogue service(catalogue);
    NoThumbnails thumbnails;
    NoScreens screens;
    FakeDisplays displays;
    SignedOut account;
    Idle idle;
    // Never asked: the benchmark submits nothing.
    LantoAPIClient client(LantoAPIClient::defaultBaseURL());

    QElapsedTimer sinceBeat;
    double longestGap = 0;
    double longest = 0;
    double cpuAtBeat = 0;
    const auto beat = [&] {
        longestGap = std::max(longestGap, sinceBeat.nsecsElapsed() / 1e6);
        const double cpu = threadCpuMilliseconds();
        longest = std::max(longest, cpu - cpuAtBeat);
        cpuAtBeat = cpu;
        sinceBeat.restart();
    };
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, beat);

    // Start the clock before the library: its constructor is main-thread work too.
    sinceBeat.start();
    cpuAtBeat = threadCpuMilliseconds();
    heartbeat.start();
    QElapsedTimer wall;
    wall.start();
    WallpaperManager library({settings, cloud, service, thumbnails, screens, displays, account, idle, client, idle, idle, scheduler, support,
                              support + QStringLiteral("/Downloads"), {}, {}});
    beat();
    while ((!library.isStarted() || library.isLoadingManifest()) && wall.elapsed() < 120'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    heartbeat.stop();
    std::printf("library: %lld records after start-up and refresh in %lld ms; longest main-thread gap %.1f ms "
                "wall, %.1f ms of its own CPU time\n",
                qint64(library.allWallpaperList().size()), qint64(wall.elapsed()), longestGap, longest);
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TemporaryHome home;
    const QString dir = home.path();

    std::printf("load average %s\n", qPrintable(loadAverage()));
    QMap<int, double> ours;
    for (int count : {1000, 10000, 50000}) {
        double reference = 0;
        const Timing t = measure(count, dir, &reference);
        ours[count] = t.total();
        std::printf("%6d records: decode %.1f ms, convert %.1f ms, merge %.1f ms, write %.1f ms, total %.1f ms; "
                    "python json %.1f ms; ratio %.2f\n",
                    count, t.decode, t.convert, t.merge, t.write, t.total(), reference,
                    reference > 0 ? t.total() / reference : 0.0);
    }
    const double peak = peakMegabytes();
    const double block = longestMainThreadBlock(home, records(50000));
    const double service = serviceCase(dir);
    std::printf("load average after %s\n", qPrintable(loadAverage()));
    std::printf("RESULT ms_1k=%.1f ms_10k=%.1f ms_50k=%.1f peak_mb_50k=%.0f main_thread_block_ms=%.1f%s\n", ours[1000],
                ours[10000], ours[50000], peak, block,
                service < 0 ? "" : qPrintable(QStringLiteral(" service_ms_10k=%1").arg(service, 0, 'f', 1)));
    return 0;
}
