import QtQuick
import QtTest
import Lanto.Screens.Window

// Every section row shows its symbol, and a custom icon replaces it.
Item {
    width: 200
    height: 200

    Column {
        width: 200
        SidebarItem { id: discover; section: "Discover"; isSelected: true }
        SidebarItem { id: settings; section: "Settings"; isSelected: false }
        SidebarItem {
            id: custom
            section: "Profile"
            isSelected: false
            customIcon: Component { Rectangle { objectName: "customIcon"; color: "red" } }
        }
    }

    TestCase {
        name: "SidebarItem"
        when: windowShown

        function iconOf(row) {
            const loader = findChild(row, "icon")
            verify(loader)
            tryCompare(loader, "status", Loader.Ready)
            return loader.item
        }

        function test_sectionsShowTheirSymbols_data() {
            return [{ tag: "Discover", row: discover, symbol: "sparkles" },
                    { tag: "Settings", row: settings, symbol: "gearshape" }]
        }
        function test_sectionsShowTheirSymbols(data) {
            const icon = iconOf(data.row)
            compare(icon.name, data.symbol)
            compare(icon.width, 22)
        }

        function test_customIconReplacesTheSymbol() {
            compare(iconOf(custom).objectName, "customIcon")
        }
    }
}
