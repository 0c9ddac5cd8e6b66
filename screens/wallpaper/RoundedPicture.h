#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QNetworkReply;

// A picture clipped to a rounded rectangle (a circle when the radius is half the
// side), filled keeping its aspect ratio. An image handed in wins over the source
// address; a local file is read at once, a web address loaded in the background.
// Without a readable picture it paints the diagonal gradient of its fallback
// colours, or nothing when it has none, so the caller can lay a placeholder under it.
class RoundedPicture : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(QVariantList fallbackColors READ fallbackColors WRITE setFallbackColors NOTIFY fallbackColorsChanged)
    Q_PROPERTY(bool hasPicture READ hasPicture NOTIFY hasPictureChanged)

public:
    explicit RoundedPicture(QQuickItem* parent = nullptr);
    ~RoundedPicture() override;

    QUrl source() const { return m_source; }
    void setSource(const QUrl& source);
    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    double radius() const { return m_radius; }
    void setRadius(double radius);
    QVariantList fallbackColors() const { return m_fallbackColors; }
    void setFallbackColors(const QVariantList& colors);
    bool hasPicture() const { return !shownPicture().isNull(); }

    // Whether a text is an address worth loading: absolute, with a scheme.
    static bool isLoadableAddress(const QString& text);

    void paint(QPainter* painter) override;

signals:
    void sourceChanged();
    void imageChanged();
    void radiusChanged();
    void fallbackColorsChanged();
    void hasPictureChanged();

private:
    const QImage& shownPicture() const { return m_image.isNull() ? m_loaded : m_image; }
    void load();
    void setLoaded(const QImage& image);
    void cancelLoad();

    QUrl m_source;
    QImage m_image;
    QImage m_loaded;
    double m_radius = 0;
    QVariantList m_fallbackColors;
    QPointer<QNetworkReply> m_reply;
};
