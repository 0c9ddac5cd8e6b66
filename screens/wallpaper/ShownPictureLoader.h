#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Brings one picture for an item on screen, decoded off the main thread at no
// more than the pixels it is shown at. A local file or resource is read where
// it lies; a web address is downloaded, and refused beyond maximumDownloadBytes,
// so a hostile address cannot fill memory. Each load replaces the one before:
// only the latest reports. Main thread.
class ShownPictureLoader : public QObject
{
    Q_OBJECT

public:
    // Avatars and posters are far smaller; anything larger is not worth holding.
    static constexpr qint64 maximumDownloadBytes = 8 * 1024 * 1024;

    explicit ShownPictureLoader(QObject* parent = nullptr);
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

    QPointer<QNetworkReply> m_reply;
    quint64 m_generation = 0;
};
