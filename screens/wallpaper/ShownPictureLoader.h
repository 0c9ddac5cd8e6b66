#pragma once

#include "WebPictureBytes.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;

// Brings one picture for an item on screen, decoded off the main thread at no
// more than the pixels it is shown at. A local file or resource is read where
// it lies; a web address comes through the shared WebPictureBytes, and is
// refused beyond maximumDownloadBytes. Each load replaces the one before:
// only the latest reports. Main thread.
class ShownPictureLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maximumDownloadBytes = WebPictureBytes::maximumBytes;

    // Web pictures come from bytes, the shared store unless told otherwise.
    explicit ShownPictureLoader(QObject* parent = nullptr);
    explicit ShownPictureLoader(WebPictureBytes& bytes, QObject* parent = nullptr);
    ~ShownPictureLoader() override;

    // Whether a text is an address worth loading: absolute, with a scheme.
    static bool isLoadableAddress(const QString& text);

    // network may be null; web addresses then load nothing.
    void load(const QUrl& source, QSize coverPixels, QNetworkAccessManager* network);
    void cancel();

signals:
    // The decoded picture of the latest load; null when there is none to show.
    void loaded(const QImage& image);

private:
    void decode(std::function<QImage()> work);

    WebPictureBytes& m_bytes;
    quint64 m_ticket = 0; // of the web load under way, 0 for none
    quint64 m_generation = 0;
};
