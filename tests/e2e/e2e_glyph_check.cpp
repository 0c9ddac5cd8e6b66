// Tells, for each character on its command line, what a person sees when a
// screen writes it in the application's default font: "ok", "box" (the
// font's missing-glyph box, as drawn for a private-use character nobody
// draws) or "blank" (nothing at all). The text engine falls back through
// the fonts the desktop has, exactly as the screens' texts do.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int side = 64;

QImage rendered(const QString& text, const QFont& font)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

bool blank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
        }
    }
    return true;
}

QString verdict(const QImage& glyph, const QImage& missing)
{
    if (blank(glyph))
        return QStringLiteral("blank");
    return glyph == missing ? QStringLiteral("box") : QStringLiteral("ok");
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QFont font = QGuiApplication::font();
    font.setPixelSize(28);
    // Plane 15's first private-use character: no desktop font draws it.
    const QImage missing = rendered(QString::fromUcs4(U"\U000F0000", 1), font);
    if (blank(missing)) {
        std::fputs("the default font draws no missing-glyph box to compare with\n", stderr);
        return 2;
    }
    QTextStream out(stdout);
    for (const QString& argument : app.arguments().mid(1)) {
        out << argument << ' ' << verdict(rendered(argument, font), missing) << '\n';
    }
    return 0;
}
