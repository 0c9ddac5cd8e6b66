#include "PlayerLayerView.h"

#include "PlayerBackend.h"

#include <QEasingCurve>
#include <QPropertyAnimation>
#include <QSGNode>

PlayerLayerView::PlayerLayerView(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    if (parent) {
        connect(parent, &QQuickItem::widthChanged, this, &PlayerLayerView::fillParent);
        connect(parent, &QQuickItem::heightChanged, this, &PlayerLayerView::fillParent);
        fillParent();
    }
}

PlayerLayerView::~PlayerLayerView() = default;

void PlayerLayerView::setPlayer(PlayerBackend* player)
{
    if (m_player == player)
        return;
    m_player = player;
    m_standbyPlayers.removeAll(player);
    m_playersChanged = true;
    update();
}

void PlayerLayerView::addStandbyPlayer(PlayerBackend* player)
{
    if (!player || player == m_player || m_standbyPlayers.contains(player))
        return;
    m_standbyPlayers.append(player);
    m_playersChanged = true;
    update();
}

QList<PlayerBackend*> PlayerLayerView::standbyPlayers() const
{
    QList<PlayerBackend*> players;
    for (const QPointer<PlayerBackend>& player : m_standbyPlayers) {
        if (player)
            players.append(player);
    }
    return players;
}

void PlayerLayerView::fadeIn(int milliseconds)
{
    if (!m_fade) {
        m_fade = new QPropertyAnimation(this, "opacity", this);
        m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    }
    m_fade->stop();
    m_fade->setDuration(milliseconds);
    m_fade->setStartValue(opacity());
    m_fade->setEndValue(1.0);
    m_fade->start();
}

bool PlayerLayerView::isFading() const { return m_fade && m_fade->state() == QAbstractAnimation::Running; }

bool PlayerLayerView::contains(const QPointF&) const { return false; }

QSGNode* PlayerLayerView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    delete oldNode;
    return nullptr;
}

void PlayerLayerView::releaseResources() { }

void PlayerLayerView::fillParent()
{
    if (QQuickItem* parent = parentItem()) {
        setPosition(QPointF(0, 0));
        setSize(parent->size());
    }
}
