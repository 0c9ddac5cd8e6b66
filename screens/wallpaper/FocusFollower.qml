import QtQuick

// Keeps the control with the keyboard focus in sight: when the focus moves to
// an item inside the flickable, the flickable scrolls just far enough to show
// it whole, with a margin, along each axis it scrolls on. Not an item, so
// that it adds nothing to the content it sits in.
QtObject {
    id: follower

    required property Flickable flickable
    property real margin: 24

    function contains(item) {
        for (let up = item; up; up = up.parent) {
            if (up === flickable.contentItem)
                return true
        }
        return false
    }

    // The content position that shows [start, start + length) within the view, or the current one.
    function revealed(position, viewLength, start, length, lowest, highest) {
        let wanted = position
        if (start < position + margin || length + 2 * margin > viewLength)
            wanted = start - margin
        else if (start + length > position + viewLength - margin)
            wanted = start + length + margin - viewLength
        return Math.max(lowest, Math.min(highest, wanted))
    }

    function reveal(item) {
        if (!item || !flickable.visible || !contains(item))
            return
        const box = item.mapToItem(flickable.contentItem, 0, 0, item.width, item.height)
        const f = flickable
        if (f.contentHeight > f.height) {
            f.contentY = revealed(f.contentY, f.height, box.y, box.height,
                                  f.originY - f.topMargin, f.originY + f.contentHeight + f.bottomMargin - f.height)
        }
        if (f.contentWidth > f.width) {
            f.contentX = revealed(f.contentX, f.width, box.x, box.width,
                                  f.originX - f.leftMargin, f.originX + f.contentWidth + f.rightMargin - f.width)
        }
    }

    readonly property Connections focusWatch: Connections {
        target: follower.flickable.Window.window
        function onActiveFocusItemChanged() { follower.reveal(follower.flickable.Window.activeFocusItem) }
    }
}
