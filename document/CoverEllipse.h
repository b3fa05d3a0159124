#pragma once

#include "framework/CRect.h"
#include "io/PictureRotation.h"
#include "io/MaskBurn.h"

#include <optional>
#include <vector>

// One covered area: the ellipse inscribed in this rectangle, in picture
// pixels (x from the picture's left edge, y rows from its top edge). Only
// edits change it; laying the picture out or zooming never does.
struct CoverEllipse {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    constexpr bool operator==(const CoverEllipse&) const = default;
};

// Where the picture lies in the view: view = offset + scale * picture, for
// columns and rows alike. The fitted layout makes one (FittedTransform); a
// zoom or a pan only changes its three numbers.
struct ViewTransform {
    double scale = 1.0;     // view pixels per picture pixel
    double offsetX = 0.0;   // view column of the picture's left edge
    double offsetY = 0.0;   // view row of the picture's top edge

    constexpr bool operator==(const ViewTransform&) const = default;
};

// The transform of a picture `pictureHeight` rows high whose display copy
// fills `displayRect` at `scale`. The copy is resampled from its bottom-left
// corner, so the rows are anchored at the rectangle's bottom edge.
ViewTransform FittedTransform(const CRect& displayRect, double scale, unsigned pictureHeight);

// The view rectangle of `e`, each edge rounded half up to a whole pixel.
CRect ToView(const CoverEllipse& e, const ViewTransform& t);
// The ellipse a view rectangle shows, exactly: ToView gives the rectangle back.
CoverEllipse ToPicture(const CRect& shown, const ViewTransform& t);

// `e` on the picture turned a quarter turn; the picture was `width` by `height`.
CoverEllipse TurnEllipse(const CoverEllipse& e, QuarterTurn turn, unsigned width, unsigned height);

// The pixels the burn paints for `e` in a picture `pictureHeight` rows high:
// each edge rounded half up, rows counted from the bottom.
PictureEllipse MapEllipseToPicture(const CoverEllipse& e, unsigned pictureHeight);

// What a press on the shown ellipses grips: a handle of the selected one or
// the inside of one of them.
enum class Grip { None, Left, Right, Top, Bottom, Interior };
struct EllipseHit {
    std::size_t index = 0;
    Grip grip = Grip::None;

    constexpr bool operator==(const EllipseHit&) const = default;
};

// The first hit at `point` among the view rectangles `shown`: the selected
// one first (its handles left, right, top, bottom, then its inside), then the
// insides of the others from the last added back.
std::optional<EllipseHit> HitEllipse(const std::vector<CRect>& shown, std::optional<std::size_t> selected,
                                     CPoint point, int handleSize);
