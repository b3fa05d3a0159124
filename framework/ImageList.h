#pragma once

#include "framework/AfxTypes.h"

#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <vector>

constexpr UINT ILC_COLOR32 = 0x20;

// Equal-sized pictures addressed by index.
class CImageList {
public:
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Appends the picture; returns its index, or -1.
    int Add(const QPixmap& image);
    // Appends the icon's picture at the list's size: index -1 is the only one taken.
    int ReplaceIcon(int index, const QIcon& icon);

    int GetImageCount() const { return int(m_images.size()); }
    QPixmap GetImage(int index) const;
    QSize GetImageSize() const { return m_size; }

private:
    QSize m_size;
    std::vector<QPixmap> m_images;
};
