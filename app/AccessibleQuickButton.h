#pragma once

#include <QAccessibleInterface>
#include <QList>
#include <QPointer>

class QQuickItem;

// What a screen reader learns of a Qt Quick push button (not of switches, check
// boxes, or the rows of lists and menus), be it a control or an item drawn as
// one and given the button role. Qt Quick 6.4 never tells it that a disabled
// item is disabled, so it announces a greyed-out "Continue" as pressable; this
// interface reports the item's enabled state, and takes the rest (name, role,
// description, checked state, the press action) from the item's `Accessible`
// properties. A control is a leaf: its label and icon are not separate
// accessibles, and one without a name is named by the first text it shows.
class AccessibleQuickButton final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    enum class Shape { control, drawn };

    AccessibleQuickButton(QQuickItem* button, Shape shape);

    // Puts this interface in front of Qt Quick's own for every button item.
    // Called once the first window is loaded, so that it is asked first.
    static void install();

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text kind, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QList<QQuickItem*> children() const;
    // The item's `Accessible` attached object, which the item keeps up to date.
    QObject* attached() const;
    QVariant attachedValue(const char* name) const;

    QPointer<QQuickItem> m_button;
    Shape m_shape;
};
