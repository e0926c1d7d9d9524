#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvandel {

// The largest length a skin may give anything, in pixels (pt, em and ex in proportion: 48 pt,
// 4 em): a few times the height of the window's buttons.
inline constexpr double kMaxSkinLength = 64;

// A skin's style sheet (Qt's dialect of CSS) taken apart and written anew in a plain form in which
// a skin colours and decorates the window but cannot resize it or make it read files on its own:
//
// - Declarations that size widgets go: width, height, min-/max-width and -height, and every
//   qproperty-* (which sets any property of a widget, its geometry too).
// - Every length (px, pt, em, ex; a bare number where a property takes a length: margins,
//   paddings, borders, spacings, font sizes) is kept within kMaxSkinLength, so that no control, no
//   dialog and no letter grows beyond a few hundred pixels.
// - Each url(...) names whatever `urlFor` gives for its address (quotes and escapes taken away),
//   called once for every url() in the sheet's order: so the caller decides what is read. When it
//   gives nothing (an image that is absent), the declaration goes.
// - What the plain form has no place for is left out whole: a declaration with a value it cannot
//   vet (a string outside font names, an escaped number, an unknown unit, a stray character), a
//   rule whose selector holds characters a selector has no use for, at-rules other than a
//   top-level @media, comments.
//
// The result is the sheet in that plain form, which this function gives back unchanged (given an
// `urlFor` that gives back what it is given).
std::string SafeSkinStyleSheet(std::string_view sheet,
                               const std::function<std::string(const std::string& address)>& urlFor);

} // namespace orvandel
