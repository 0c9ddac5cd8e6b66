#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Makes a control pressable from the keyboard: Tab gives it the focus (while it
// is enabled and shown), and Space, Enter or Return then emit activated(), as
// a click would. Main thread.
class KeyActivation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem* control READ control WRITE setControl NOTIFY controlChanged)

public:
    explicit KeyActivation(QObject* parent = nullptr);

    QQuickItem* control() const { return m_control; }
    void setControl(QQuickItem* control);

    // Whether a key event is one that presses a focused control.
    static bool isPressKey(const QKeyEvent& event);

signals:
    void controlChanged();
    void activated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QQuickItem> m_control;
};
