import QtQuick
import QtQuick.Controls
import Lanto.Screens.Settings
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The settings: account, language, updates, login, performance, accessibility
// and the version. Values are read when the screen is made and written at once.
ScrollView {
    id: root

    readonly property SettingsViewModel settings: SettingsViewModel {}
    readonly property FocusFollower focusFollower: FocusFollower { flickable: root.contentItem }

    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.AlwaysOff
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    Column {
        x: Math.max(32, (root.availableWidth - width) / 2)
        width: Math.min(600, root.availableWidth - 64)
        spacing: 24

        Item { width: 1; height: 52 }
        ReadText {
            anchors.left: parent.left
            text: qsTr("Settings")
            font.pixelSize: 30; font.bold: true
            color: "white"
        }
        SettingsSection {
            width: parent.width
            title: qsTr("Account")
            AccountRow { width: parent.width }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("Language")
            LanguagePicker { width: parent.width; settings: root.settings }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("Updates")
            SettingsToggle {
                title: qsTr("Automatic Updates")
                subtitle: qsTr("Automatically check for and install updates in the background")
                isOn: root.settings.autoUpdateEnabled
                onTurned: on => root.settings.autoUpdateEnabled = on
            }
            CheckForUpdatesButton { settings: root.settings }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("General")
            SettingsToggle {
                objectName: "launchAtLogin"
                title: qsTr("Launch at Login")
                subtitle: qsTr("Start Lanto when you log in")
                isOn: root.settings.launchAtLogin
                onTurned: on => root.settings.launchAtLogin = on
            }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("Performance")
            SettingsToggle {
                objectName: "pauseOnBattery"
                title: qsTr("Pause on Battery")
                subtitle: qsTr("Show static frame when unplugged to save battery")
                isOn: root.settings.pauseOnBattery
                onTurned: on => root.settings.pauseOnBattery = on
            }
            SettingsDivider {}
            SettingsToggle {
                title: qsTr("Pause on Fullscreen")
                subtitle: qsTr("Stop animation when a fullscreen app is active")
                isOn: root.settings.pauseOnFullscreen
                onTurned: on => root.settings.pauseOnFullscreen = on
            }
            SettingsDivider {}
            SettingsToggle {
                title: qsTr("Reduced Frame Rate")
                subtitle: qsTr("Run at 30fps instead of 60fps to reduce energy usage")
                isOn: root.settings.reducedFrameRate
                onTurned: on => root.settings.reducedFrameRate = on
            }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("Accessibility")
            SettingsToggle {
                title: qsTr("Respect Reduce Motion")
                subtitle: qsTr("Show static wallpaper when system Reduce Motion is enabled")
                isOn: root.settings.respectReduceMotion
                onTurned: on => root.settings.respectReduceMotion = on
            }
        }
        SettingsSection {
            width: parent.width
            title: qsTr("About")
            Column {
                spacing: 4
                Text {
                    text: qsTr("Lanto")
                    font.pixelSize: 14; font.weight: Font.DemiBold
                    color: Qt.rgba(1, 1, 1, 0.9)
                }
                Text {
                    objectName: "version"
                    text: qsTr("Version %1").arg(root.settings.version)
                    font.pixelSize: 12
                    color: Qt.rgba(1, 1, 1, 0.4)
                }
            }
        }
        Item { width: 1; height: 40 }
    }

    component SettingsDivider: Rectangle {
        width: parent.width
        height: 1
        color: Qt.rgba(1, 1, 1, 0.15)
    }
}
