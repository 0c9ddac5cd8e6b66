#include "AppAnimation.h"
#include "AppLayout.h"

#include <QTest>

#include <cfloat>
#include <limits>

class TestAppLayout : public QObject
{
    Q_OBJECT

private slots:
    void gridColumns_data();
    void gridColumns();
    void springPresets_data();
    void springPresets();
};

void TestAppLayout::gridColumns_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");

    constexpr double infinity = std::numeric_limits<double>::infinity();
    // No window is wider than 16777215, which holds 71089 columns.
    constexpr int widestGrid = 71089;

    QTest::newRow("455") << 455.0 << 1;
    QTest::newRow("456") << 456.0 << 2;
    QTest::newRow("691") << 691.0 << 2;
    QTest::newRow("692") << 692.0 << 3;
    QTest::newRow("1400") << 1400.0 << 6;
    QTest::newRow("one column") << 220.0 << 1;
    QTest::newRow("narrower than a column") << 100.0 << 1;
    QTest::newRow("zero") << 0.0 << 1;
    QTest::newRow("negative zero") << -0.0 << 1;
    QTest::newRow("negative") << -500.0 << 1;
    QTest::newRow("most negative") << -DBL_MAX << 1;
    QTest::newRow("smallest positive") << std::numeric_limits<double>::denorm_min() << 1;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 1;
    QTest::newRow("+inf") << infinity << 1;
    QTest::newRow("-inf") << -infinity << 1;
    QTest::newRow("widest window") << 16777215.0 << widestGrid;
    QTest::newRow("beyond int") << 1e12 << widestGrid;
    QTest::newRow("largest double") << DBL_MAX << widestGrid;
}

void TestAppLayout::gridColumns()
{
    QFETCH(double, width);
    QFETCH(int, count);

    const GridColumns columns = AppLayout::gridColumns(width);
    QCOMPARE(columns.count, count);
    QCOMPARE(columns.width, 220.0);
    QCOMPARE(columns.spacing, 16.0);
    QCOMPARE(AppLayout::gridColumnCount(width), count);
}

void TestAppLayout::springPresets_data()
{
    QTest::addColumn<Spring>("preset");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("response");
    QTest::addColumn<double>("dampingFraction");

    QTest::newRow("smooth") << AppAnimation::smooth() << "smooth" << 0.35 << 0.82;
    QTest::newRow("gentle") << AppAnimation::gentle() << "gentle" << 0.5 << 0.86;
    QTest::newRow("snappy") << AppAnimation::snappy() << "snappy" << 0.25 << 0.78;
    QTest::newRow("bouncy") << AppAnimation::bouncy() << "bouncy" << 0.4 << 0.65;
    QTest::newRow("standard") << AppAnimation::standard() << "standard" << 0.4 << 0.8;
    QTest::newRow("hover") << AppAnimation::hover() << "hover" << 0.3 << 0.8;
    QTest::newRow("sectionChange") << AppAnimation::sectionChange() << "sectionChange" << 0.45 << 0.88;
    QTest::newRow("apply") << AppAnimation::apply() << "apply" << 0.7 << 0.9;
    QTest::newRow("slow") << AppAnimation::slow() << "slow" << 0.6 << 0.9;
}

void TestAppLayout::springPresets()
{
    QFETCH(Spring, preset);
    QFETCH(QString, name);
    QFETCH(double, response);
    QFETCH(double, dampingFraction);

    QCOMPARE(preset.name(), name);
    QCOMPARE(preset.response(), response);
    QCOMPARE(preset.dampingFraction(), dampingFraction);
    QCOMPARE(preset.blendDuration(), 0.0);
}

QTEST_GUILESS_MAIN(TestAppLayout)
#include "tst_applayout.moc"
