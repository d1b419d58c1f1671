// The viewer page: one self-contained HTML file (style, script and data
// inline, nothing fetched) that shows a scenario interactively.
#ifndef SC_PRESENT_VIEW_PAGE_H_
#define SC_PRESENT_VIEW_PAGE_H_

#include <string>

#include "present/view_data.h"

namespace sc {

std::string RenderViewPage(const ViewInput& input);

}  // namespace sc

#endif  // SC_PRESENT_VIEW_PAGE_H_
