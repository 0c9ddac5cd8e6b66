import QtQuick
import QtQuick.Window

Window {
    width: 1200
    height: 780
    visible: true
    title: "Lanto"
    color: "#10101e"
}
