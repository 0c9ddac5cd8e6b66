#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.load(QUrl(u"qrc:/Lanto/App/Main.qml"_qs));
    if (engine.rootObjects().isEmpty())
        return 1;
    return app.exec();
}
