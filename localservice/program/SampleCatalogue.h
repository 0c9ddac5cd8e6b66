#pragma once

#include "SampleRecipes.h"

#include <QList>
#include <QString>

#include <functional>

class LocalService;

// The catalogue a new data folder starts with: the creators, tags and
// wallpapers of SampleRecipes, their files made by the import pipeline
// (HEVC Main 10 content, preview clip, poster, and a JPEG thumbnail). Made
// files are kept in a cache folder shared by every data folder on the machine,
// so a second data folder costs links, not transcodes.
class SampleCatalogue
{
public:
    using Progress = std::function<void(const QString& line)>;

    SampleCatalogue(LocalService& service, QString cacheFolder, Progress progress = {});

    // The default cache: "lanto-service/samples" in the user's cache folder.
    static QString defaultCacheFolder();

    // Fills an empty catalogue; a catalogue with wallpapers is left as it is.
    bool ensure(QString* error = nullptr);
    // Makes sure `count` extra records exist that reuse the samples' files
    // (fixed ids, so a second run adds none).
    bool ensureExtraRecords(int count);

    // The samples whose files the cache lacks.
    static QList<SampleRecipes::Wallpaper> missingMedia(const QString& cacheFolder);
    // Makes every sample's files that the cache lacks, several at once.
    static bool makeMedia(const QString& cacheFolder, const Progress& progress, QString* error);

private:
    bool addCreatorsAndTags();
    bool addRecords();

    LocalService& m_service;
    const QString m_cache;
    const Progress m_progress;
};
