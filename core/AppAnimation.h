#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One spring animation: how long it takes to settle (response, seconds) and how
// much it overshoots (damping fraction, 1 = none).
class Spring
{
    Q_GADGET
    QML_VALUE_TYPE(spring)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(double response READ response CONSTANT)
    Q_PROPERTY(double dampingFraction READ dampingFraction CONSTANT)
    Q_PROPERTY(double blendDuration READ blendDuration CONSTANT)

public:
    Spring() = default;
    Spring(QString name, double response, double dampingFraction);

    QString name() const { return m_name; }
    double response() const { return m_response; }
    double dampingFraction() const { return m_dampingFraction; }
    double blendDuration() const { return 0.0; }

    friend bool operator==(const Spring&, const Spring&) = default;

private:
    QString m_name;
    double m_response = 0.0;
    double m_dampingFraction = 1.0;
};

// The shared springs every screen animates with, so motion feels the same everywhere.
class AppAnimation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(Spring smooth READ smooth CONSTANT)
    Q_PROPERTY(Spring gentle READ gentle CONSTANT)
    Q_PROPERTY(Spring snappy READ snappy CONSTANT)
    Q_PROPERTY(Spring bouncy READ bouncy CONSTANT)
    Q_PROPERTY(Spring standard READ standard CONSTANT)
    Q_PROPERTY(Spring hover READ hover CONSTANT)
    Q_PROPERTY(Spring sectionChange READ sectionChange CONSTANT)
    Q_PROPERTY(Spring apply READ apply CONSTANT)
    Q_PROPERTY(Spring slow READ slow CONSTANT)

public:
    explicit AppAnimation(QObject* parent = nullptr);

    static const Spring& smooth();
    static const Spring& gentle();
    static const Spring& snappy();
    static const Spring& bouncy();
    static const Spring& standard();
    static const Spring& hover();
    static const Spring& sectionChange();
    static const Spring& apply();
    static const Spring& slow();

private:
    // Built once on first use, in the order above.
    static const QList<Spring>& all();
};
