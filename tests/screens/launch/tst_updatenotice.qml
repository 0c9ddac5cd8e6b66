import QtQuick
import QtTest
import Lanto.Screens.Launch

// The answer to a check for updates the user asked for reaches screen readers
// as an alert with the text on screen, and goes silent once it is hidden.
TestCase {
    name: "UpdateCheckNotice"
    when: windowShown

    Component { id: noticeComponent; UpdateCheckNotice {} }

    function test_answerIsAnAlert_data() {
        return [
            { tag: "available", text: "Lanto 99.0 is available." },
            { tag: "up to date", text: "Lanto is up to date." },
        ]
    }
    function test_answerIsAnAlert(data) {
        const notice = createTemporaryObject(noticeComponent, this)
        compare(notice.Accessible.role, Accessible.AlertMessage)
        notice.message = data.text
        compare(findChild(notice, "updateNoticeText").text, data.text)
        compare(notice.Accessible.name, data.text)
        notice.message = ""
        compare(notice.Accessible.name, "")
    }
}
