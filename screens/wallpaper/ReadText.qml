import QtQuick

// A text a person reads on a page (a title, a name, a count, a fact): a screen
// reader hears it as static text, at the place where it is drawn.
Text {
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
