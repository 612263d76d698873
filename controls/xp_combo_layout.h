// Geometry of the combo box's parts in twips, 15 to a pixel, as its layout step
// sets it after every resize and font change.
#pragma once

namespace controls {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kXPComboMinWidth = 400;
inline constexpr int kXPComboHeight = 315;
inline constexpr int kArrowImageSize = 17; // pixels

struct XPComboLayout {
    int width = kXPComboMinWidth;
    int height = kXPComboHeight;
    // The text field; its left edge is fixed, its top rises with larger fonts.
    int textLeft = 75;
    int textTop = 60;
    int textWidth = 0;
    // The arrow button keeps 285 twips from the right edge.
    int arrowLeft = 0;
    int arrowTop = 30;
    // The list box whose drop-down list the arrow opens, full width.
    int listTop = 30;
    int listWidth = 0;
};

XPComboLayout xpComboLayout(int widthTwips, double fontPointSize);

// Rounded to the nearest pixel.
int twipsToPixels(int twips);

// The narrowest width in whole pixels that is still at least 400 twips.
inline constexpr int kXPComboMinWidthPixels = (kXPComboMinWidth + kTwipsPerPixel - 1) / kTwipsPerPixel;
inline constexpr int kXPComboHeightPixels = kXPComboHeight / kTwipsPerPixel;

} // namespace controls
