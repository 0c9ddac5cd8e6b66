// A file manager's part in a drag: a small window that offers the files named on
// its command line, as a drag of their addresses, when pressed. The suite drags
// from it into Lanto with real pointer input.
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QUrl>

class DragSource final : public QRasterWindow
{
public:
    explicit DragSource(QList<QUrl> files)
        : m_files(std::move(files))
    {
        setTitle(QStringLiteral("Files"));
        resize(240, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(), size()), Qt::white);
        int y = 20;
        for (const QUrl& file : m_files) {
            painter.drawText(10, y, file.fileName());
            y += 20;
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* data = new QMimeData;
        data->setUrls(m_files);
        QDrag drag(this);
        drag.setMimeData(data);
        drag.exec(Qt::CopyAction);
    }

private:
    QList<QUrl> m_files;
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QList<QUrl> files;
    for (const QString& path : app.arguments().mid(1))
        files.append(QUrl::fromLocalFile(path));
    DragSource source(files);
    source.setPosition(0, 0);
    source.show();
    return app.exec();
}
