#include "AppAnimation.h"

#include <utility>

Spring::Spring(QString name, double response, double dampingFraction)
    : m_name(std::move(name))
    , m_response(response)
    , m_dampingFraction(dampingFraction)
{
}

AppAnimation::AppAnimation(QObject* parent)
    : QObject(parent)
{
}

const QList<Spring>& AppAnimation::all()
{
    static const QList<Spring> presets{
        {QStringLiteral("smooth"), 0.35, 0.82},
        {QStringLiteral("gentle"), 0.5, 0.86},
        {QStringLiteral("snappy"), 0.25, 0.78},
        {QStringLiteral("bouncy"), 0.4, 0.65},
        {QStringLiteral("standard"), 0.4, 0.8},
        {QStringLiteral("hover"), 0.3, 0.8},
        {QStringLiteral("sectionChange"), 0.45, 0.88},
        {QStringLiteral("apply"), 0.7, 0.9},
        {QStringLiteral("slow"), 0.6, 0.9},
    };
    return presets;
}

const Spring& AppAnimation::smooth() { return all()[0]; }
const Spring& AppAnimation::gentle() { return all()[1]; }
const Spring& AppAnimation::snappy() { return all()[2]; }
const Spring& AppAnimation::bouncy() { return all()[3]; }
const Spring& AppAnimation::standard() { return all()[4]; }
const Spring& AppAnimation::hover() { return all()[5]; }
const Spring& AppAnimation::sectionChange() { return all()[6]; }
const Spring& AppAnimation::apply() { return all()[7]; }
const Spring& AppAnimation::slow() { return all()[8]; }
