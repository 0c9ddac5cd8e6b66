import QtQuick

// The application's mark on the launch screens, 100 x 100 with continuous-looking corners.
Rectangle {
    implicitWidth: 100
    implicitHeight: 100
    radius: 22
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#6a5cff" }
        GradientStop { position: 1.0; color: "#2b1a6e" }
    }

    Text {
        anchors.centerIn: parent
        text: "L"
        font.pixelSize: 56; font.bold: true
        color: "white"
    }
}
