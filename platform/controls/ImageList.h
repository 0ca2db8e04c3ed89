#pragma once
#include <QHash>
#include <QIcon>
#include <QList>
#include <QSize>

// A list of pictures of one size, indexed from 1, shared by the tree and the tool bar.
class ImageList
{
public:
    explicit ImageList(QSize imageSize = QSize(16, 16));

    QSize ImageSize() const { return imageSize_; }
    int Count() const { return static_cast<int>(images_.size()); }
    void Add(const QIcon& picture);
    // The picture at a 1-based index; a null icon for an index outside the list.
    QIcon Image(int index) const;
    // One icon that draws `image` normally and `selectedImage` while its item is selected.
    QIcon NodeIcon(int image, int selectedImage) const;

private:
    QSize imageSize_;
    QList<QIcon> images_;
    mutable QHash<quint32, QIcon> nodeIcons_;
};
