#include "AccessibleQuickButton.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

// The `Accessible` attached object of an item, if QML gave it one.
QObject* attachedTo(const QQuickItem* item)
{
    const QObjectList& children = item->children();
    const auto found = std::find_if(children.cbegin(), children.cend(),
        [](const QObject* child) { return child->inherits("QQuickAccessibleAttached"); });
    return found == children.cend() ? nullptr : *found;
}

// An item drawn as a push button (a shape with a tap or mouse handler) that
// QML gave the button role; check boxes and switches drawn so stay with Qt Quick.
bool isDrawnButton(const QQuickItem* item)
{
    const QObject* attached = attachedTo(item);
    return attached && !attached->property("ignored").toBool() && !attached->property("checkable").toBool()
        && QAccessible::Role(attached->property("role").toInt()) == QAccessible::Button;
}

// Qt Quick asks for an item's interface as soon as QML gives it an `Accessible`
// object, before QML sets its role. Once the role is set, a drawn button's
// first interface gives way to this one.
class RoleWatch final : public QObject
{
    Q_OBJECT

public:
    RoleWatch(QQuickItem* item, QObject* attached)
        : QObject(attached), m_item(item)
    {
        connect(attached, SIGNAL(roleChanged()), this, SLOT(roleSet()));
    }

private slots:
    void roleSet()
    {
        if (isDrawnButton(m_item)) {
            if (QAccessibleInterface* first = QAccessible::queryAccessibleInterface(m_item);
                first && !dynamic_cast<AccessibleQuickButton*>(first))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(first));
        }
        deleteLater();
    }

private:
    QQuickItem* m_item;
};

QAccessibleInterface* buttonFactory(const QString&, QObject* object)
{
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item)
        return nullptr;
    // Push buttons only: the rows of lists and menus, and switches and check boxes,
    // stay with Qt Quick, which shows what they hold and how they are set.
    if (item->inherits("QQuickAbstractButton")) {
        if (item->inherits("QQuickItemDelegate") || item->inherits("QQuickMenuItem")
            || item->property("checkable").toBool())
            return nullptr;
        return new AccessibleQuickButton(item, AccessibleQuickButton::Shape::control);
    }
    if (isDrawnButton(item))
        return new AccessibleQuickButton(item, AccessibleQuickButton::Shape::drawn);
    if (QObject* attached = attachedTo(item);
        attached && QAccessible::Role(attached->property("role").toInt()) == QAccessible::NoRole)
        new RoleWatch(item, attached);
    return nullptr;
}

// The first text the button shows, for a button whose label is an item of its own.
QString shownText(const QQuickItem* item)
{
    for (const QQuickItem* child : item->childItems()) {
        if (!child->isVisible())
            continue;
        const QString text = child->property("text").toString();
        if (!text.isEmpty())
            return text;
        if (const QString inner = shownText(child); !inner.isEmpty())
            return inner;
    }
    return {};
}

bool isExposed(const QQuickItem* item)
{
    const QObject* attached = attachedTo(item);
    return attached && !attached->property("ignored").toBool();
}

// The nearest accessibles below an item, passing through items that have none,
// in the order Qt Quick lists them.
QList<QQuickItem*> exposedBelow(const QQuickItem* item)
{
    QList<QQuickItem*> found;
    for (QQuickItem* child : item->childItems()) {
        if (isExposed(child))
            found.append(child);
        else
            found.append(exposedBelow(child));
    }
    return found;
}

} // namespace

AccessibleQuickButton::AccessibleQuickButton(QQuickItem* button, Shape shape)
    : m_button(button), m_shape(shape)
{
}

void AccessibleQuickButton::install()
{
    // Factories installed last are asked first; removing first moves ours to the end.
    QAccessible::removeFactory(buttonFactory);
    QAccessible::installFactory(buttonFactory);
}

bool AccessibleQuickButton::isValid() const { return !m_button.isNull(); }

QObject* AccessibleQuickButton::object() const { return m_button; }

QWindow* AccessibleQuickButton::window() const { return m_button ? m_button->window() : nullptr; }

QAccessibleInterface* AccessibleQuickButton::parent() const
{
    if (!m_button)
        return nullptr;
    QQuickWindow* window = m_button->window();
    const QQuickItem* content = window ? window->contentItem() : nullptr;
    QQuickItem* item = m_button->parentItem();
    while (item && item != content && !isExposed(item))
        item = item->parentItem();
    if (item && item != content)
        return QAccessible::queryAccessibleInterface(item);
    return window ? QAccessible::queryAccessibleInterface(window) : nullptr;
}

QList<QQuickItem*> AccessibleQuickButton::children() const
{
    // A control's label and icon belong to it; a drawn button keeps what it
    // holds, such as a smaller button of its own.
    return m_shape == Shape::drawn && m_button ? exposedBelow(m_button) : QList<QQuickItem*>();
}

QAccessibleInterface* AccessibleQuickButton::child(int index) const
{
    const QList<QQuickItem*> items = children();
    return index >= 0 && index < items.size() ? QAccessible::queryAccessibleInterface(items.at(index)) : nullptr;
}

int AccessibleQuickButton::childCount() const { return int(children().size()); }

int AccessibleQuickButton::indexOfChild(const QAccessibleInterface* child) const
{
    return child ? int(children().indexOf(qobject_cast<QQuickItem*>(child->object()))) : -1;
}

QAccessibleInterface* AccessibleQuickButton::childAt(int x, int y) const
{
    const QList<QQuickItem*> items = children();
    // The topmost first: later children are drawn over earlier ones.
    for (auto item = items.crbegin(); item != items.crend(); ++item) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(*item);
        if (accessible && accessible->rect().contains(x, y))
            return accessible;
    }
    return nullptr;
}

QString AccessibleQuickButton::text(QAccessible::Text kind) const
{
    switch (kind) {
    case QAccessible::Name: {
        QString name = attachedValue("name").toString();
        if (name.isEmpty() && m_button)
            name = m_button->property("text").toString();
        return name.isEmpty() && m_button ? shownText(m_button) : name;
    }
    case QAccessible::Description:
        return attachedValue("description").toString();
    default:
        return {};
    }
}

void AccessibleQuickButton::setText(QAccessible::Text, const QString&) { }

QRect AccessibleQuickButton::rect() const
{
    if (!m_button || !m_button->window())
        return {};
    const QPointF topLeft = m_button->mapToGlobal(QPointF(0, 0));
    return QRectF(topLeft, QSizeF(m_button->width(), m_button->height())).toAlignedRect();
}

QAccessible::Role AccessibleQuickButton::role() const
{
    const auto role = QAccessible::Role(attachedValue("role").toInt());
    return role != QAccessible::NoRole ? role : QAccessible::Button;
}

QAccessible::State AccessibleQuickButton::state() const
{
    QAccessible::State state;
    if (!m_button)
        return state;
    state.disabled = !m_button->isEnabled();
    state.invisible = !m_button->isVisible() || !m_button->window() || !m_button->window()->isVisible()
        || qFuzzyIsNull(m_button->opacity());
    state.focusable = m_button->activeFocusOnTab();
    state.focused = m_button->hasActiveFocus();
    state.checkable = m_button->property("checkable").toBool();
    state.checked = m_button->property("checked").toBool();
    state.pressed = m_button->property("pressed").toBool();
    return state;
}

void* AccessibleQuickButton::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList AccessibleQuickButton::actionNames() const
{
    if (!m_button || !m_button->isEnabled())
        return {};
    QStringList names { pressAction() };
    if (m_button->property("checkable").toBool())
        names.append(toggleAction());
    return names;
}

void AccessibleQuickButton::doAction(const QString& actionName)
{
    if (!actionNames().contains(actionName))
        return;
    // Qt Quick 6.4 buttons offer no click to call: a press is a click in the middle
    // of the button, as the pointer would make it; on a checkable one it toggles.
    QQuickWindow* window = m_button->window();
    if (!window)
        return;
    const QPointF middle(m_button->width() / 2, m_button->height() / 2);
    const QPointF inScene = m_button->mapToScene(middle);
    const QPointF onScreen = m_button->mapToGlobal(middle);
    QMouseEvent press(QEvent::MouseButtonPress, inScene, onScreen, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inScene, onScreen, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &release);
}

QStringList AccessibleQuickButton::keyBindingsForAction(const QString&) const { return {}; }

QObject* AccessibleQuickButton::attached() const { return m_button ? attachedTo(m_button) : nullptr; }

QVariant AccessibleQuickButton::attachedValue(const char* name) const
{
    const QObject* properties = attached();
    return properties ? properties->property(name) : QVariant();
}

#include "AccessibleQuickButton.moc"
