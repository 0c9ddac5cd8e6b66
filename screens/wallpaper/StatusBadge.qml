import QtQuick
import Lanto.Screens.Wallpaper

// The review state of the user's own upload as a coloured capsule; nothing
// for other states or none.
Rectangle {
    id: badge

    required property string status

    readonly property var looks: ({
        "uploading": { text: qsTr("Uploading"), colour: AppColors.blue },
        "pending": { text: qsTr("Pending Review"), colour: AppColors.orange },
        "approved": { text: qsTr("Public"), colour: AppColors.green },
        "rejected": { text: qsTr("Rejected"), colour: AppColors.red }
    })
    readonly property var look: looks[status]

    visible: look !== undefined
    implicitWidth: label.implicitWidth + 20
    implicitHeight: label.implicitHeight + 8
    radius: height / 2
    color: look ? Qt.rgba(look.colour.r, look.colour.g, look.colour.b, 0.85) : "transparent"
    enabled: false

    Text {
        id: label
        objectName: "badgeText"
        anchors.centerIn: parent
        text: badge.look ? badge.look.text : ""
        color: "white"
        font.pixelSize: 11
        font.weight: Font.DemiBold
    }
}
