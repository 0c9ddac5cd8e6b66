// A file manager's part in a drag: a small window that offers the files named on
// its command line, as a drag of their addresses, when pressed. The suite drags
// from it into Lanto with real pointer input. It writes "accepted" or "ignored"
// as the target under the pointer changes its mind, then "dropped" or "refused"
// when the drag ends.
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QUrl>

#include <cstdio>

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
        // On the heap, and left to Qt: the target asks for the data after the drop,
        // and the answer comes from the drag, which must outlive exec().
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // Says when a target under the pointer takes or refuses the files.
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            std::printf("%s\n", action == Qt::IgnoreAction ? "ignored" : "accepted");
            std::fflush(stdout);
        });
        // The target fetches the addresses from this window after the drop, so
        // it stays open until the suite closes it.
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
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
