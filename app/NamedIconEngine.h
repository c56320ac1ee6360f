#pragma once
// An icon that carries a theme name and draws its own image. Bus trays
// (StatusNotifierItem) send both to the host: the name for hosts that look the
// icon up in their theme (make install puts "quorvell" into hicolor), the image's
// pixels for hosts that cannot resolve the name, such as a host in another
// container or an app started from its build tree. QIcon::fromTheme would give the
// name but draw nothing where the theme lacks it; QIcon(pixmap) draws but has no
// name. The XEmbed tray uses only the image.

#include <QIcon>
#include <QIconEngine>
#include <QString>

namespace quorvell {

class NamedIconEngine : public QIconEngine {
public:
    // image: what every size and mode is drawn from; not null (Qt 5 takes an icon
    // with an engine for a non-null one).
    NamedIconEngine(QString name, QIcon image);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override;
    QString iconName() const override;
    QString key() const override;
    QIconEngine* clone() const override;

private:
    QString m_name;
    QIcon m_image;
};

}  // namespace quorvell
