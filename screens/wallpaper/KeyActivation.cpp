#include "KeyActivation.h"

#include <QKeyEvent>

KeyActivation::KeyActivation(QObject* parent) : QObject(parent) {}

void KeyActivation::setControl(QQuickItem* control)
{
    if (control == m_control)
        return;
    if (m_control)
        m_control->removeEventFilter(this);
    m_control = control;
    if (m_control) {
        m_control->setActiveFocusOnTab(true);
        m_control->installEventFilter(this);
    }
    emit controlChanged();
}

bool KeyActivation::isPressKey(const QKeyEvent& event)
{
    const int key = event.key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool KeyActivation::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if (!isPressKey(*key) || others != Qt::NoModifier)
        return false;
    // A held key presses once.
    if (!key->isAutoRepeat() && m_control->isEnabled())
        emit activated();
    return true;
}
