// The preview picture: a compiled scenario drawn as one self-contained SVG
// document (UTF-8). From top to bottom: the ground plan from the route plan
// (to scale, north up, with a scale bar; a note instead when there is no
// plan), the profiles along the route on one metre axis from 0 to the route
// length (trackside objects, speed limit, gradient, adhesion, mountains and
// tunnels), and a legend.
//
// Every trackside object has exactly one element in the profile whose class
// names its kind: "station", "signal", "slowdown", "max-speed-board", "sign",
// "km-reference", each with its position in metres in data-m. The ground plan
// marks the same objects with the classes "plan-station", "plan-signal" and
// so on. The axis is the element of class "axis" with data-from and data-to.
// Labels that would overlap are left out (the marker stays, with its text as
// a tooltip), and the plan line is thinned, so the size of the document
// depends on the number of objects, not on the route length. The plan marks
// the route's end with a bar across the track (class "route-end") and draws
// the run-out past it dashed and light (class "run-out"); labels cover no
// station's or sign's marker, and the route's two end stations are labelled
// first.
#ifndef SC_PRESENT_PREVIEW_SVG_H_
#define SC_PRESENT_PREVIEW_SVG_H_

#include <string>
#include <string_view>

#include "present/preview_data.h"

namespace sc {

std::string RenderPreviewSvg(const PreviewData& data);

// The width, in pixels, that a label's text (Windows-1252 bytes) is given
// when labels are placed: generous, so that placed labels never touch.
double LabelTextWidth(std::string_view bytes);

}  // namespace sc

#endif  // SC_PRESENT_PREVIEW_SVG_H_
