#include "platform/controls/ImageList.h"

#include <QIconEngine>
#include <QPainter>

namespace
{
// Draws one of two icons, depending on whether the item is drawn selected.
class NodeIconEngine : public QIconEngine
{
public:
    NodeIconEngine(QIcon normal, QIcon selected) : normal_(std::move(normal)), selected_(std::move(selected)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Pick(mode).paint(painter, rect, Qt::AlignCenter, mode == QIcon::Selected ? QIcon::Normal : mode, state);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Pick(mode).pixmap(size, mode == QIcon::Selected ? QIcon::Normal : mode, state);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        const QIcon& icon = Pick(mode);
        return icon.pixmap(size, scale, mode == QIcon::Selected ? QIcon::Normal : mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Pick(mode).actualSize(size, mode, state);
    }

    QIconEngine* clone() const override { return new NodeIconEngine(normal_, selected_); }

private:
    const QIcon& Pick(QIcon::Mode mode) const { return mode == QIcon::Selected ? selected_ : normal_; }

    QIcon normal_;
    QIcon selected_;
};
} // namespace

ImageList::ImageList(QSize imageSize) : imageSize_(imageSize) {}

void ImageList::Add(const QIcon& picture)
{
    images_.append(picture);
    nodeIcons_.clear();
}

QIcon ImageList::Image(int index) const
{
    if (index < 1 || index > images_.size())
        return {};
    return images_[index - 1];
}

QIcon ImageList::NodeIcon(int image, int selectedImage) const
{
    const quint32 key = (static_cast<quint32>(image & 0xFFFF) << 16) | static_cast<quint32>(selectedImage & 0xFFFF);
    auto found = nodeIcons_.constFind(key);
    if (found != nodeIcons_.constEnd())
        return *found;
    QIcon icon = image == selectedImage ? Image(image) : QIcon(new NodeIconEngine(Image(image), Image(selectedImage)));
    nodeIcons_.insert(key, icon);
    return icon;
}
