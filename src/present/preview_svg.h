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
// depends on the number of objects, not on the route length.
#ifndef SC_PRESENT_PREVIEW_SVG_H_
#define SC_PRESENT_PREVIEW_SVG_H_

#include <string>

#include "present/preview_data.h"

namespace sc {

std::string RenderPreviewSvg(const PreviewData& data);

}  // namespace sc

#endif  // SC_PRESENT_PREVIEW_SVG_H_
