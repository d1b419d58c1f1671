// The viewer page: one self-contained HTML file (style, script and data
// inline, nothing fetched) that shows a scenario interactively. The live
// form fetches later versions of its data from the server that served it.
#ifndef SC_PRESENT_VIEW_PAGE_H_
#define SC_PRESENT_VIEW_PAGE_H_

#include <string>

#include "present/view_data.h"

namespace sc {

std::string RenderViewPage(const ViewInput& input);

// The page from its title (Windows-1252) and its data (from ViewDataJson).
// With `live`, the page also follows the server of `view --serve`: it takes
// each new version of the data from there and shows the server's state.
std::string RenderViewPage(const std::string& title, const std::string& data_json, bool live);

}  // namespace sc

#endif  // SC_PRESENT_VIEW_PAGE_H_
