#pragma once

#include <QImage>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QUrl>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

class QNetworkReply;

// A picture filling a circle, its aspect kept and its overflow cut: either an
// image in memory (a picture chosen on this machine) or one loaded from an
// address. ready tells the placeholder beneath when to give way.
class AvatarImage : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    // A QImage; anything else (undefined, null) shows no picture of its own.
    Q_PROPERTY(QVariant image READ imageValue WRITE setImageValue NOTIFY imageChanged)
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(bool ready READ isReady NOTIFY readyChanged)

public:
    // Pictures larger than this are refused, so a hostile address cannot fill memory.
    static constexpr qint64 maximumBytes = 16 * 1024 * 1024;

    explicit AvatarImage(QQuickItem* parent = nullptr);
    ~AvatarImage() override;

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    QVariant imageValue() const { return m_image; }
    void setImageValue(const QVariant& value) { setImage(value.value<QImage>()); }
    QUrl source() const { return m_source; }
    void setSource(const QUrl& source);
    bool isReady() const { return !shown().isNull(); }

    void paint(QPainter* painter) override;

signals:
    void imageChanged();
    void sourceChanged();
    void readyChanged();

private:
    const QImage& shown() const { return m_image.isNull() ? m_loaded : m_image; }
    void load();
    void setLoaded(const QImage& image);

    QImage m_image;
    QUrl m_source;
    QImage m_loaded;
    QPointer<QNetworkReply> m_reply;
};
