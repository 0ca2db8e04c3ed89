#pragma once
#include <QIcon>
#include <memory>

class ImageList;
class QPainter;

// The 18 pictures of `Images`, drawn as vectors so they stay sharp at any scale.
namespace Pictures
{

constexpr int Count = 18;

// Indexes into `Images` that the program's procedures use by meaning.
enum Index : int
{
    Help = 1,
    OpenFolder = 2,
    LinkNotChecked = 3,
    LinkBroken = 4,
    LinkNoReply = 5,
    LinkAnswered = 6,
    Cut = 7,
    Copy = 8,
    Paste = 9,
    Delete = 10,
    Launch = 11,
    TrafficLight = 12,
    CheckAll = 13,
    CheckOne = 14,
    Stop = 15,
    ClosedFolder = 16,
    Find = 17,
    CheckFolder = 18,
};

// Draws picture `index` (1 to 18) into the 16 by 16 square at the painter's origin.
void Draw(int index, QPainter& painter);

// The picture as an icon that renders at any size.
QIcon Icon(int index);

// A new image list holding the 18 pictures in order.
std::unique_ptr<ImageList> CreateImages();

} // namespace Pictures
