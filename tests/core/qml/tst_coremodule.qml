import QtQuick
import QtTest
import Lanto.Core

TestCase {
    name: "CoreConstants"

    function test_gridColumnCount_data() {
        return [
            { tag: "455", width: 455, count: 1 },
            { tag: "456", width: 456, count: 2 },
            { tag: "1400", width: 1400, count: 6 },
            { tag: "zero", width: 0, count: 1 },
            { tag: "negative", width: -20, count: 1 },
            { tag: "NaN", width: NaN, count: 1 },
            { tag: "undefined", width: undefined, count: 1 },
            { tag: "infinity", width: Infinity, count: 1 },
        ]
    }

    function test_gridColumnCount(data) {
        compare(AppLayout.gridColumnCount(data.width), data.count)
    }

    function test_gridColumns() {
        const columns = AppLayout.gridColumns(700)
        compare(columns.count, 3)
        compare(columns.width, AppLayout.gridColumnWidth)
        compare(columns.spacing, AppLayout.gridSpacing)
        compare(AppLayout.gridColumnWidth, 220)
        compare(AppLayout.gridSpacing, 16)
    }

    function test_springs_data() {
        return [
            { tag: "smooth", spring: AppAnimation.smooth, response: 0.35, damping: 0.82 },
            { tag: "sectionChange", spring: AppAnimation.sectionChange, response: 0.45, damping: 0.88 },
            { tag: "apply", spring: AppAnimation.apply, response: 0.7, damping: 0.9 },
        ]
    }

    function test_springs(data) {
        compare(data.spring.name, data.tag)
        compare(data.spring.response, data.response)
        compare(data.spring.dampingFraction, data.damping)
        compare(data.spring.blendDuration, 0)
    }

    function test_networkMonitor() {
        // The shared monitor: its value depends on this machine, its type does not.
        compare(typeof NetworkMonitor.isConnected, "boolean")
    }
}
