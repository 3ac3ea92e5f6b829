#pragma once
#include <QtCore/qglobal.h>

#include <cmath>
#include <limits>
#include <optional>

namespace Vezedad {

// A number made whole the way the runtime converts it to an integer type:
// halves go to the even neighbour. Nothing when the result lies beyond T (or
// the number is not finite); callers decide whether that is an overflow.
template <class T> std::optional<T> roundedTo(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= double(std::numeric_limits<T>::min()) && r <= double(std::numeric_limits<T>::max())))
        return std::nullopt;
    return T(r);
}

} // namespace Vezedad
