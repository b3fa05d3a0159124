#include "framework/ImageList.h"

BOOL CImageList::Create(int cx, int cy, UINT /*flags*/, int initial, int /*grow*/)
{
    m_size = QSize(cx, cy);
    m_images.clear();
    m_images.reserve(size_t(std::max(initial, 0)));
    return cx > 0 && cy > 0;
}

int CImageList::Add(const QPixmap& image)
{
    if (image.isNull() || m_size.isEmpty())
        return -1;
    m_images.push_back(image.size() == m_size ? image : image.scaled(m_size));
    return int(m_images.size()) - 1;
}

int CImageList::ReplaceIcon(int /*index*/, const QIcon& icon)
{
    QPixmap picture = icon.pixmap(m_size);
    if (picture.isNull()) {
        picture = QPixmap(m_size);
        picture.fill(Qt::transparent);
    }
    return Add(picture);
}

QPixmap CImageList::GetImage(int index) const
{
    if (index < 0 || index >= GetImageCount())
        return QPixmap();
    return m_images[size_t(index)];
}
