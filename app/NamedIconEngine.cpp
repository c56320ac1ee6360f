#include "app/NamedIconEngine.h"

#include <QPainter>

#include <utility>

namespace quorvell {

NamedIconEngine::NamedIconEngine(QString name, QIcon image) : m_name(std::move(name)), m_image(std::move(image)) { }

void NamedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    m_image.paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize NamedIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return m_image.actualSize(size, mode, state);
}

QPixmap NamedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return m_image.pixmap(size, mode, state);
}

QList<QSize> NamedIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) const
{
    return m_image.availableSizes(mode, state);
}

QString NamedIconEngine::iconName() const
{
    return m_name;
}

QString NamedIconEngine::key() const
{
    return QStringLiteral("QuorvellNamedIconEngine");
}

QIconEngine* NamedIconEngine::clone() const
{
    return new NamedIconEngine(m_name, m_image);
}

}  // namespace quorvell
