// What a screen reader is told of Qt Quick buttons: disabled ones say so, names
// and descriptions come from QML, and a press is a click only while enabled.
#include "AccessibleQuickButton.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray screen = R"(
import QtQuick
import QtQuick.Controls
Window {
    width: 300; height: 200
    visible: true
    Column {
        Button { objectName: "named"; text: "Continue"; Accessible.name: "Go On"; Accessible.description: "Saves it" }
        Button { objectName: "plain"; text: "Cancel" }
        Button { objectName: "drawn"; contentItem: Column { Text { text: "portrait.png" } Text { text: "2 KiB" } } }
        Switch { objectName: "switch"; text: "Pause"; checked: true; Accessible.name: text }
        ItemDelegate { objectName: "row"; text: "portrait.png"; Accessible.name: text }
        Rectangle {
            objectName: "card"; width: 120; height: 60
            property int taps: 0
            Accessible.role: Accessible.Button; Accessible.name: "Harbour"
            TapHandler { onTapped: parent.taps++ }
            Item {
                width: 60; height: 30
                Rectangle {
                    objectName: "inner"; width: 60; height: 30
                    Accessible.role: Accessible.Button; Accessible.name: "Make Public"
                }
            }
        }
        Rectangle {
            objectName: "drawnSwitch"; width: 40; height: 20
            Accessible.role: Accessible.CheckBox; Accessible.checkable: true; Accessible.name: "Loop"
        }
    }
})";

} // namespace

class tst_AccessibleQuickButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QAccessible::setActive(true); // as with a screen reader on the bus
        AccessibleQuickButton::install();
        QQmlComponent component(&m_engine);
        component.setData(screen, QUrl());
        m_window.reset(qobject_cast<QQuickWindow*>(component.create()));
        QVERIFY2(m_window, qPrintable(component.errorString()));
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void disabledButtonSaysSo()
    {
        QQuickItem* button = item("named");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible);
        QVERIFY(!accessible->state().disabled);
        button->setEnabled(false);
        QVERIFY(accessible->state().disabled);
        QVERIFY(accessible->actionInterface()->actionNames().isEmpty());
        button->setEnabled(true);
        QVERIFY(!accessible->state().disabled);
    }

    void drawnButtonSaysWhenDisabled()
    {
        QQuickItem* card = item("card");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(card);
        QVERIFY(dynamic_cast<AccessibleQuickButton*>(accessible));
        QCOMPARE(accessible->text(QAccessible::Name), QString("Harbour"));
        QVERIFY(!accessible->state().disabled);
        card->setEnabled(false);
        QVERIFY(accessible->state().disabled);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(card->property("taps").toInt(), 0);
        card->setEnabled(true);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(card->property("taps").toInt(), 1);
    }

    // A drawn button keeps the accessibles it holds, and they know it as their parent.
    void drawnButtonKeepsWhatItHolds()
    {
        QAccessibleInterface* card = QAccessible::queryAccessibleInterface(item("card"));
        QAccessibleInterface* inner = QAccessible::queryAccessibleInterface(item("inner"));
        QCOMPARE(card->childCount(), 1);
        QCOMPARE(card->child(0), inner);
        QCOMPARE(card->indexOfChild(inner), 0);
        QCOMPARE(inner->parent(), card);
        const QPoint middle = inner->rect().center();
        QCOMPARE(card->childAt(middle.x(), middle.y()), inner);
        QCOMPARE(card->childAt(card->rect().right(), card->rect().bottom()), nullptr);
    }

    void drawnSwitchesStayWithQtQuick()
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item("drawnSwitch"));
        QVERIFY(accessible);
        QVERIFY(!dynamic_cast<AccessibleQuickButton*>(accessible));
    }

    void textsComeFromQml_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("named") << "named" << "Go On" << "Saves it";
        QTest::newRow("by its label") << "plain" << "Cancel" << "";
        QTest::newRow("by what it shows") << "drawn" << "portrait.png" << "";
    }

    void textsComeFromQml()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item(button));
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QCOMPARE(accessible->text(QAccessible::Description), description);
        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->rect().size(), item(button)->size().toSize());
        QCOMPARE(accessible->parent()->object(), m_window.get());
    }

    void pressClicksOnlyWhileEnabled()
    {
        QQuickItem* button = item("plain");
        QSignalSpy clicked(button, SIGNAL(clicked()));
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);
        button->setEnabled(false);
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);
        button->setEnabled(true);
    }

    void listRowsStayWithQtQuick()
    {
        QQuickItem* row = item("row");
        QVERIFY(row);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QString("portrait.png"));
        QVERIFY(!dynamic_cast<AccessibleQuickButton*>(accessible));
    }

    void switchesStayWithQtQuick()
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item("switch"));
        QVERIFY(accessible);
        QVERIFY(!dynamic_cast<AccessibleQuickButton*>(accessible));
        QVERIFY(accessible->state().checked);
    }

private:
    QQuickItem* item(const QString& name) const { return m_window->findChild<QQuickItem*>(name); }

    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
};

QTEST_MAIN(tst_AccessibleQuickButton)
#include "tst_accessiblequickbutton.moc"
